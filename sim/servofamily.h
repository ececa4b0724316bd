#pragma once

#include "cellfamily.h"

namespace kelvo::sim {

// Servo power: the servo request 0x2001, the enabling switch 0x2301, and clearing alarms (0x3201
// for one robot, 0x2B01 for the selected one).
class ServoFamily : public CellFamily {
public:
    ServoFamily(SimController& controller, SimCell& cell);
};

}  // namespace kelvo::sim
