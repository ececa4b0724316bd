#include "instructions/framesetcommand.h"

namespace kelvo {

namespace {

CommandLayout<FrameSetCommand> frameSetLayout() {
    const std::vector<TextPart<FrameSetCommand>> frame = {{"ID = ", &FrameSetCommand::ID},
                                                          {" ", &FrameSetCommand::m_varName}};
    return {
        {
            {"ID", &FrameSetCommand::ID},
            {"coord", &FrameSetCommand::coord},
            {"varType", &FrameSetCommand::varType},
            {"m_varName", &FrameSetCommand::m_varName},
            {"m_newValue", &FrameSetCommand::m_newValue},
        },
        {
            {94, "USERFRAME_SET ", frame},
            {95, "TOOLFRAME_SET ", frame},
        },
    };
}

}  // namespace

const FrameSetCommand::Layout& FrameSetCommand::layout() const {
    static const Layout table = frameSetLayout();
    return table;
}

}  // namespace kelvo
