#pragma once

#include "instructions/framesetcommand.h"

namespace kelvo {

// USERFRAME_SET (94): sets a user frame.
class UserCommand : public FrameSetCommand {
public:
    UserCommand() : FrameSetCommand(94) {}
};

}  // namespace kelvo
