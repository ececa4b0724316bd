#pragma once

#include "instructions/idcommand.h"

namespace kelvo {

// OPENMSG (112) and CLOSEMSG (113): opens and closes a message connection.
class OPENCLOSEMSGCommand : public IdCommand {
public:
    explicit OPENCLOSEMSGCommand(int typeCode) : IdCommand(typeCode) {}
};

}  // namespace kelvo
