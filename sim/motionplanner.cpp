#include "motionplanner.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace kelvo::sim {

namespace {

constexpr int kMaxPathVel = 1000;       // mm/s
constexpr double kTurnSpeed = 90.0;     // degrees per second of the tool on a Cartesian path
constexpr double kSampleStepMm = 2.0;   // path checked and followed in steps of this length
constexpr double kSampleStepDeg = 1.0;  // ... or of this turn
constexpr int kMaxSamples = 5000;
constexpr double kMaxJointStep = 10.0;  // a larger jump of one joint between steps: singularity
constexpr double kSamePoint = 0.01;     // mm and degrees
constexpr double kTwoPi = 6.28318530717958647692;

struct CartesianPath {
    std::function<Pose(double s)> at;  // s from 0 to 1
    double lengthMm = 0;
    double turnDeg = 0;
};

MotionPlan failed(PlanFailure failure) {
    MotionPlan plan;
    plan.failure = failure;
    return plan;
}

MotionPlan follow(const Joints& from, const CartesianPath& path, int velMmPerS) {
    const double durationMs =
        1000.0 *
        std::max(path.lengthMm / MotionPlanner::clampPathVel(velMmPerS), path.turnDeg / kTurnSpeed);
    // Bounded before the conversion: a hostile target can make the path any length.
    const int samples = static_cast<int>(std::clamp(
        std::ceil(std::max(path.lengthMm / kSampleStepMm, path.turnDeg / kSampleStepDeg)), 1.0,
        static_cast<double>(kMaxSamples)));
    std::vector<double> times{0.0};
    std::vector<Joints> waypoints{from};
    for (int i = 1; i <= samples; ++i) {
        const double s = static_cast<double>(i) / samples;
        const std::optional<Joints> joints = ArmModel::inverse(path.at(s), waypoints.back());
        if (!joints)
            return failed(PlanFailure::Unreachable);
        if (jointDistance(*joints, waypoints.back()) > kMaxJointStep)
            return failed(PlanFailure::Singular);
        times.push_back(s * durationMs);
        waypoints.push_back(*joints);
    }
    MotionPlan plan;
    plan.trajectory = Trajectory(std::move(times), std::move(waypoints));
    return plan;
}

CartesianPath straightLine(const Pose& from, const Pose& to) {
    return {[from, to](double s) {
                return Pose{from.position + s * (to.position - from.position),
                            from.orientation.towards(to.orientation, s)};
            },
            norm(to.position - from.position), from.orientation.angleTo(to.orientation)};
}

bool samePose(const Pose& a, const Pose& b) {
    return norm(a.position - b.position) < kSamePoint &&
           a.orientation.angleTo(b.orientation) < kSamePoint;
}

// The circle through three points; empty when they lie on one line.
std::optional<CartesianPath> circle(const Pose& p1, const Pose& p2, const Pose& p3,
                                    bool fullCircle) {
    const Vec3 u = p2.position - p1.position;
    const Vec3 v = p3.position - p1.position;
    const Vec3 w = cross(u, v);
    const double ww = dot(w, w);
    if (norm(u) < kSamePoint || norm(v) < kSamePoint || std::sqrt(ww) < 1e-6 * norm(u) * norm(v))
        return std::nullopt;
    const Vec3 centre =
        p1.position + (1.0 / (2.0 * ww)) * (dot(u, u) * cross(v, w) + dot(v, v) * cross(w, u));
    const double radius = norm(p1.position - centre);
    const Vec3 e1 = (1.0 / radius) * (p1.position - centre);
    const Vec3 e2 = cross((1.0 / std::sqrt(ww)) * w, e1);
    // Seen along w, p1, p2 and p3 follow each other anticlockwise.
    const Vec3 toEnd = p3.position - centre;
    double sweep = std::atan2(dot(toEnd, e2), dot(toEnd, e1));
    if (sweep <= 0)
        sweep += kTwoPi;
    if (fullCircle)
        sweep = kTwoPi;
    const Rotation start = p1.orientation;
    const Rotation end = fullCircle ? p1.orientation : p3.orientation;
    return CartesianPath{
        [=](double s) {
            const double angle = s * sweep;
            return Pose{centre + radius * std::cos(angle) * e1 + radius * std::sin(angle) * e2,
                        start.towards(end, s)};
        },
        radius * sweep, start.angleTo(end)};
}

}  // namespace

int MotionPlanner::clampJointVel(int velPercent) {
    return std::clamp(velPercent, 1, 100);
}

int MotionPlanner::clampPathVel(int velMmPerS) {
    return std::clamp(velMmPerS, 1, kMaxPathVel);
}

MotionPlan MotionPlanner::joint(const Joints& from, const Joints& to, int velPercent) {
    if (!ArmModel::withinLimits(to))
        return failed(PlanFailure::Unreachable);
    double durationMs = 0;
    for (int axis = 1; axis <= kArmAxes; ++axis) {
        const double speed = ArmModel::maxJointSpeed(axis) * clampJointVel(velPercent) / 100.0;
        durationMs = std::max(durationMs, 1000.0 * std::abs(to[axis - 1] - from[axis - 1]) / speed);
    }
    MotionPlan plan;
    plan.trajectory = Trajectory({0.0, durationMs}, {from, to});
    return plan;
}

MotionPlan MotionPlanner::linear(const Joints& from, const Pose& to, int velMmPerS) {
    return follow(from, straightLine(ArmModel::forward(from), to), velMmPerS);
}

MotionPlan MotionPlanner::circular(const Joints& from, const Pose& p1, const Pose& p2,
                                   const Pose& p3, bool fullCircle, int velMmPerS) {
    const std::optional<CartesianPath> arc = circle(p1, p2, p3, fullCircle);
    if (!arc)
        return failed(PlanFailure::Collinear);
    MotionPlan approach;
    approach.trajectory = Trajectory({0.0}, {from});
    if (!samePose(ArmModel::forward(from), p1))
        approach = linear(from, p1, velMmPerS);
    if (!approach.trajectory)
        return approach;
    MotionPlan onArc = follow(approach.trajectory->end(), *arc, velMmPerS);
    if (!onArc.trajectory)
        return onArc;
    approach.trajectory->append(*onArc.trajectory);
    return approach;
}

}  // namespace kelvo::sim
