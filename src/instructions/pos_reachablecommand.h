#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// POS_REACHABLE (130): whether a position can be reached by a joint or linear move.
class POS_REACHABLECommand : public FieldCommand<POS_REACHABLECommand> {
public:
    POS_REACHABLECommand() : FieldCommand(130) {}

    int m_varType = 0;
    int moveType = 0;
    int positionId = 0;
    std::string m_varname = "A001";

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
