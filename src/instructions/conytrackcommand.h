#pragma once

#include "instructions/positioncommand.h"

namespace kelvo {

// Conveyor tracking: CONVEYOR_ON (102), CONVEYOR_OFF (103), CONVEYOR_CHECKPOS (104),
// CONVEYOR_CHECKEND (105). The owned position is carried only for m_postype 0.
class CONYTRACKCommand : public PositionCommand<CONYTRACKCommand> {
public:
    using PositionCommand::PositionCommand;

    int ID = 0;
    int m_positionId = 0;
    double V = 0.0;
    int vUnit = 0;
    double ACC = 0.0;
    int m_postype = 0;

protected:
    const Layout& layout() const override;
    bool writesPosition() const override;
};

}  // namespace kelvo
