#pragma once

#include "ctlsession.h"
#include "ctltext.h"

#include <optional>
#include <string>

namespace kelvoctl {

// Follows a move through kelvo_get_current_position until the robot stands at its target, with a
// progress line of the position on the way.
class MotionWatch {
public:
    struct Goal {
        Position target;
        int coord;          // coordinate system of target, and of the progress line
        bool leavesFirst;   // the move ends where it starts (a full circle)
        bool showsPercent;  // the straight distance left tells how far the move has come
    };

    explicit MotionWatch(CtlSession& ctl) : ctl_(ctl) {}

    // True once the robot stands at the target. False when it stops short, never sets off, or its
    // position cannot be read; failure() then says which, and where the robot was last seen.
    bool waitForArrival(const Goal& goal);
    const std::string& failure() const { return failure_; }
    double seconds() const { return seconds_; }
    const Position& last() const { return last_; }

private:
    // The position now; empty when it cannot be read, failure_ then says why.
    std::optional<Position> read(int coord);
    bool fail(const std::string& why, const char* where, int coord);

    CtlSession& ctl_;
    std::string failure_;
    double seconds_ = 0;
    bool seen_ = false;
    Position last_{};
};

// The largest difference of one value, angles compared as angles.
double positionGap(const Position& a, const Position& b, int coord);
// The position now; empty when it cannot be read (told).
std::optional<Position> currentPosition(CtlSession& ctl, int coord);

}  // namespace kelvoctl
