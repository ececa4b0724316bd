#pragma once

#include "instructions/positioncommand.h"

namespace kelvo {

// Vision: VISION_RUN (76), VISION_TRG (77), VISION_POSNUM (78), VISION_POS (79),
// VISION_CLEAR (80), VISION_END (81). May own the position the camera found.
class VisionCommand : public PositionCommand<VisionCommand> {
public:
    using PositionCommand::PositionCommand;

    int ID = 0;
    std::string M_STRPOSNUM;
    int m_positionId = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
