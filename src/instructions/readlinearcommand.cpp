#include "instructions/readlinearcommand.h"

namespace kelvo {

const READLINEARCommand::Layout& READLINEARCommand::layout() const {
    static const Layout table{
        {
            {"varname", &READLINEARCommand::varname},
            {"vartype", &READLINEARCommand::vartype},
        },
        {
            {143, "READLINEAR ", {{"", &READLINEARCommand::varname}}},
            {144, "ENDREADLINEAR"},
        },
    };
    return table;
}

}  // namespace kelvo
