#pragma once

#include "cellfamily.h"

namespace kelvo::sim {

// Writing outputs: digital 0x3601, analog 0x3607. (The I/O queries are state reports.)
class IoFamily : public CellFamily {
public:
    IoFamily(SimController& controller, SimCell& cell);
};

}  // namespace kelvo::sim
