#pragma once

#include "cellfamily.h"

#include <QTimer>

namespace kelvo::sim {

// A controller that reports continuously: at a set rate, every client is sent unasked the current
// position 0x2F08 of each robot (joint and Cartesian in turn) and the digital inputs 0x3606, all as
// they stand. Off until setRate.
class PushFamily : public CellFamily {
public:
    PushFamily(SimController& controller, SimCell& cell);
    ~PushFamily() override;

    static constexpr int kMaxRate = 1000;

    // Pushes per second, 0 to kMaxRate; 0 stops pushing. False for a rate out of range.
    bool setRate(int hz);

private:
    void pushState();

    QTimer* timer_;  // a child of the controller, so it lives in the controller's thread
    int coord_ = kJointCoord;
};

}  // namespace kelvo::sim
