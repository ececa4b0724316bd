#pragma once

#include "armmodel.h"
#include "trajectory.h"

#include <optional>

namespace kelvo::sim {

enum class PlanFailure {
    Unreachable,  // the target, or a point on the way, is out of reach or beyond a joint limit
    Singular,     // the path passes a singularity, where the joints would have to jump
    Collinear,    // the three points of a circle lie on one line
};

struct MotionPlan {
    std::optional<Trajectory> trajectory;
    PlanFailure failure = PlanFailure::Unreachable;  // when there is no trajectory
};

// Turns a move into joint waypoints, checking the whole way before the robot sets off.
// Joint moves run at vel percent of each joint's top speed; Cartesian moves keep the tool point at
// vel mm/s on its path (and turn the tool at most 90 degrees per second).
class MotionPlanner {
public:
    static MotionPlan joint(const Joints& from, const Joints& to, int velPercent);
    static MotionPlan linear(const Joints& from, const Pose& to, int velMmPerS);
    // From `from` in a straight line to p1 (unless it is there already), then along the circle
    // through p1, p2 and p3: on to p3, or with fullCircle once round, back to p1. The tool turns
    // from p1's orientation to p3's on the arc and keeps p1's on the full circle.
    static MotionPlan circular(const Joints& from, const Pose& p1, const Pose& p2, const Pose& p3,
                               bool fullCircle, int velMmPerS);

    static int clampJointVel(int velPercent);
    static int clampPathVel(int velMmPerS);
};

}  // namespace kelvo::sim
