#pragma once

#include "instructions/idcommand.h"

namespace kelvo {

// LASER ON (58) and LASER OFF (59).
class LASERCommand : public IdCommand {
public:
    explicit LASERCommand(int typeCode) : IdCommand(typeCode) {}
};

}  // namespace kelvo
