#include "instructions/craftlinecommand.h"

namespace kelvo {

const CRAFTLINECommand::Layout& CRAFTLINECommand::layout() const {
    static const Layout table{
        {
            {"line", &CRAFTLINECommand::line},
        },
        {
            {86, "CRAFTLINE ", {{"", &CRAFTLINECommand::line}}},
        },
    };
    return table;
}

}  // namespace kelvo
