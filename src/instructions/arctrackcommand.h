#pragma once

#include "instructions/idcommand.h"

namespace kelvo {

// Arc tracking: ARCTRACKON (154) and ARCTRACKOFF (155).
class ARCTRACKCommand : public IdCommand {
public:
    explicit ARCTRACKCommand(int typeCode) : IdCommand(typeCode) {}
};

}  // namespace kelvo
