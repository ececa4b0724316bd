#include "instructions/syssettingcommand.h"

namespace kelvo {

const SysSettingCommand::Layout& SysSettingCommand::layout() const {
    static const Layout table{
        {
            {"speed", &SysSettingCommand::speed},
            {"sUnit", &SysSettingCommand::sUnit},
        },
        {
            {30, "SPEED = ", {{"", &SysSettingCommand::speed}, {" %"}}},
        },
    };
    return table;
}

}  // namespace kelvo
