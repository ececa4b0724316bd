#include "instructions/sendmsgcommand.h"

namespace kelvo {

const SENDMSGCommand::Layout& SENDMSGCommand::layout() const {
    static const Layout table{
        {
            {"ID", &SENDMSGCommand::ID},
            {"sendChar", &SENDMSGCommand::sendChar},
        },
        {
            {91, "SENDMSG ID = ", {{"", &SENDMSGCommand::ID}, {" ", &SENDMSGCommand::sendChar}}},
        },
    };
    return table;
}

}  // namespace kelvo
