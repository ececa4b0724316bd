#pragma once

#include "cellfamily.h"

namespace kelvo::sim {

// Settings: operation mode 0x2101, jog coordinate system 0x2201, jog speed 0x2601 and the robot
// selection 0x5001.
class ModeFamily : public CellFamily {
public:
    ModeFamily(SimController& controller, SimCell& cell);
};

}  // namespace kelvo::sim
