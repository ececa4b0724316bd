#pragma once

#include "ctlconsole.h"
#include "ctltext.h"

#include <string>

namespace kelvoctl {

// Follows a move through get_current_position until the robot stands at its target, with a
// progress line of the position on the way.
class MotionWatch {
public:
    struct Goal {
        Position target;
        int coord;          // coordinate system of target, and of the progress line
        bool leavesFirst;   // the move ends where it starts (a full circle)
        bool showsPercent;  // the straight distance left tells how far the move has come
    };

    explicit MotionWatch(CtlConsole& console) : console_(console) {}

    // True once the robot stands at the target. False when it stops short, never sets off, or the
    // link goes down; failure() then says which.
    bool waitForArrival(const Goal& goal);
    const std::string& failure() const { return failure_; }
    double seconds() const { return seconds_; }
    const Position& last() const { return last_; }

private:
    CtlConsole& console_;
    std::string failure_;
    double seconds_ = 0;
    Position last_{};
};

// The largest difference of one value, angles compared as angles.
double positionGap(const Position& a, const Position& b, int coord);
Position currentPosition(int coord);

}  // namespace kelvoctl
