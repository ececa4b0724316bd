#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// EXTMOV (141) and ENDEXTMOV (142): an external axis that follows the robot or runs at a
// constant speed, given by hand or by a variable.
class EXTMOVCommand : public FieldCommand<EXTMOVCommand> {
public:
    using FieldCommand::FieldCommand;

    int extaxle = 0;
    int movtype = 0;
    int speedtype = 0;
    std::string varname;
    double handvalue = 0.0;
    double speedproportionfactor = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
