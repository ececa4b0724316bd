#include "instructions/visioncommand.h"

namespace kelvo {

const VisionCommand::Layout& VisionCommand::layout() const {
    static const Layout table{
        {
            {"ID", &VisionCommand::ID},
            {"M_STRPOSNUM", &VisionCommand::M_STRPOSNUM},
            {"m_positionId", &VisionCommand::m_positionId},
        },
        {
            {76, "VISION_RUN ", {{"", &VisionCommand::ID}}},
            {77, "VISION_TRG ", {{"", &VisionCommand::ID}}},
            {78, "VISION_POSNUM ", {{"", &VisionCommand::ID}, {" ", &VisionCommand::M_STRPOSNUM}}},
            {79, "VISION_POS ", {{"", &VisionCommand::ID}, {" ", &VisionCommand::m_positionId}}},
            {80, "VISION_CLEAR ", {{"", &VisionCommand::ID}}},
            {81, "VISION_END ", {{"", &VisionCommand::ID}}},
        },
    };
    return table;
}

}  // namespace kelvo
