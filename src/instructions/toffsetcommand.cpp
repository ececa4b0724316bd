#include "instructions/toffsetcommand.h"

namespace kelvo {

const TOFFSETCommand::Layout& TOFFSETCommand::layout() const {
    static const Layout table{
        {
            {"coord", &TOFFSETCommand::coord},
            {"calData", &TOFFSETCommand::calData},
            {"datatype", &TOFFSETCommand::datatype},
        },
        {
            {138, "TOFFSETON ", {{"", &TOFFSETCommand::coord}, {"", writeCalData<TOFFSETCommand>}}},
            {139, "TOFFSETOFF"},
        },
    };
    return table;
}

}  // namespace kelvo
