#pragma once

#include "instructions/framesetcommand.h"

namespace kelvo {

// TOOLFRAME_SET (95): sets a tool frame.
class ToolCommand : public FrameSetCommand {
public:
    ToolCommand() : FrameSetCommand(95) {}
};

}  // namespace kelvo
