#include "instructions/forcesetcommand.h"

namespace kelvo {

const FORCESETCommand::Layout& FORCESETCommand::layout() const {
    static const Layout table{
        {
            {"gVarName", &FORCESETCommand::gVarName},
            {"gVarType", &FORCESETCommand::gVarType},
        },
        {
            {41, "FORCESET ", {{"", &FORCESETCommand::gVarName}}},
        },
    };
    return table;
}

}  // namespace kelvo
