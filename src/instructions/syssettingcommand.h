#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// SPEED (30): the program speed in percent.
class SysSettingCommand : public FieldCommand<SysSettingCommand> {
public:
    SysSettingCommand() : FieldCommand(30) {}

    int speed = 0;
    int sUnit = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
