#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// SCREW (140): tightens, unscrews or frees a screw.
class SCREWCommand : public FieldCommand<SCREWCommand> {
public:
    SCREWCommand() : FieldCommand(140) {}

    int screwID = 0;
    int screwType = 0;
    int varType = 0;
    std::string varName = "GI001";
    double maxSpinTime = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
