#include "instructions/printmsgcommand.h"

namespace kelvo {

const PRINTMSGCommand::Layout& PRINTMSGCommand::layout() const {
    static const Layout table{
        {
            {"printChar", &PRINTMSGCommand::printChar},
        },
        {
            {117, "PRINTMSG ", {{"", &PRINTMSGCommand::printChar}}},
        },
    };
    return table;
}

}  // namespace kelvo
