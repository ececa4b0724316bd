#include "simrobot.h"

#include <algorithm>
#include <utility>

namespace kelvo::sim {

namespace {

constexpr size_t kMaxWaitingMoves = 64;
constexpr double kJogJointSpeed = 30.0;    // degrees per second at 100 %
constexpr double kJogLinearSpeed = 100.0;  // mm per second at 100 %
constexpr double kJogTurnSpeed = 30.0;     // degrees per second at 100 %
constexpr double kJogSliceS = 0.02;        // jogging is followed in steps of this many seconds
constexpr double kMaxJogJointStep = 10.0;  // a larger jump of one joint in a step: singularity

struct InchStep {
    int speedCode;
    double length;  // mm
    double angle;   // degrees
};
constexpr InchStep kInchSteps[] = {{101, 1.0, 0.1}, {102, 0.1, 0.01}, {103, 0.01, 0.001}};

bool isTurn(int axis) {
    return axis > 3;
}

Vec3 unitAlong(int axis) {
    const int i = (axis - 1) % 3;
    return {i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0, i == 2 ? 1.0 : 0.0};
}

Rotation turnAbout(int axis, double angle) {
    const int i = (axis - 1) % 3;
    return i == 0   ? Rotation::aboutX(angle)
           : i == 1 ? Rotation::aboutY(angle)
                    : Rotation::aboutZ(angle);
}

SimAlarm alarmFor(PlanFailure failure) {
    switch (failure) {
        case PlanFailure::Singular:
            return SimAlarm::PathSingular;
        case PlanFailure::Collinear:
            return SimAlarm::ArcPointsCollinear;
        case PlanFailure::Unreachable:
            break;
    }
    return SimAlarm::TargetUnreachable;
}

Joints asJoints(const PoseValues& values) {
    Joints joints;
    std::copy(values.begin(), values.end(), joints.begin());
    return joints;
}

// A target given as joint angles is reachable when the joints are within their limits.
std::optional<Pose> targetPose(const PoseValues& values, int coord) {
    if (coord != kJointCoord)
        return Pose::fromValues(values);
    const Joints joints = asJoints(values);
    if (!ArmModel::withinLimits(joints))
        return std::nullopt;
    return ArmModel::forward(joints);
}

MotionPlan unreachable() {
    return MotionPlan{};
}

}  // namespace

SimRobot::SimRobot(int number, AlarmSink alarms) : number_(number), alarms_(std::move(alarms)) {}

bool SimRobot::queueMove(const MoveRequest& move, double now) {
    if (waiting_.size() >= kMaxWaitingMoves)
        return false;
    waiting_.push_back(move);
    if (!active_)
        startNext(now);
    return true;
}

std::optional<Trajectory> SimRobot::plan(const MoveRequest& move) {
    MotionPlan result = unreachable();
    const int coord = move.coord;
    if (move.kind == MoveRequest::Kind::Joint) {
        const std::optional<Joints> target =
            coord == kJointCoord ? std::optional<Joints>(asJoints(move.points[0]))
                                 : ArmModel::inverse(Pose::fromValues(move.points[0]), joints_);
        if (target)
            result = MotionPlanner::joint(joints_, *target, move.vel);
    } else if (move.kind == MoveRequest::Kind::Linear) {
        if (const std::optional<Pose> target = targetPose(move.points[0], coord))
            result = MotionPlanner::linear(joints_, *target, move.vel);
    } else {
        const std::optional<Pose> p1 = targetPose(move.points[0], coord);
        const std::optional<Pose> p2 = targetPose(move.points[1], coord);
        const std::optional<Pose> p3 = targetPose(move.points[2], coord);
        if (p1 && p2 && p3) {
            result = MotionPlanner::circular(joints_, *p1, *p2, *p3,
                                             move.kind == MoveRequest::Kind::FullCircle, move.vel);
        }
    }
    if (!result.trajectory)
        alarms_(alarmFor(result.failure));
    return result.trajectory;
}

void SimRobot::startNext(double at) {
    while (!active_ && !waiting_.empty()) {
        const MoveRequest move = waiting_.front();
        waiting_.pop_front();
        active_ = plan(move);
        if (!active_) {
            waiting_.clear();
            return;
        }
        activeSince_ = at;
    }
}

void SimRobot::startJog(int axis, int direction, int percent, double now) {
    const double top = settings.coord == kJointCoord ? kJogJointSpeed
                       : isTurn(axis)                ? kJogTurnSpeed
                                                     : kJogLinearSpeed;
    jog_ = Jog{axis, direction, settings.coord, top * std::clamp(percent, 0, 100) / 100.0};
    jogSince_ = now;
}

void SimRobot::inch(int axis, int direction, int speedCode) {
    for (const InchStep& step : kInchSteps) {
        if (step.speedCode != speedCode)
            continue;
        const bool angular = settings.coord == kJointCoord || isTurn(axis);
        if (!jogBy(axis, settings.coord, direction * (angular ? step.angle : step.length)))
            alarms_(SimAlarm::JogLimit);
    }
}

void SimRobot::stopJog() {
    jog_.reset();
}

void SimRobot::stop() {
    active_.reset();
    waiting_.clear();
    jog_.reset();
}

void SimRobot::advance(double now) {
    while (active_) {
        const double elapsed = now - activeSince_;
        if (elapsed < active_->durationMs()) {
            setJoints(active_->at(elapsed));
            return;
        }
        setJoints(active_->end());
        const double finished = activeSince_ + active_->durationMs();
        active_.reset();
        startNext(finished);
    }
    if (jog_)
        advanceJog(now);
}

void SimRobot::advanceJog(double now) {
    double remaining = (now - jogSince_) / 1000.0;
    jogSince_ = now;
    while (jog_ && remaining > 0) {
        const double slice = std::min(remaining, kJogSliceS);
        remaining -= slice;
        if (!jogBy(jog_->axis, jog_->coord, jog_->direction * jog_->rate * slice)) {
            jog_.reset();
            alarms_(SimAlarm::JogLimit);
        }
    }
}

bool SimRobot::jogBy(int axis, int coord, double amount) {
    if (coord == kJointCoord) {
        Joints next = joints_;
        const double wanted = next[axis - 1] + amount;
        next[axis - 1] = std::clamp(wanted, ArmModel::lowerLimit(axis), ArmModel::upperLimit(axis));
        setJoints(next);
        return next[axis - 1] == wanted;
    }
    Pose pose = ArmModel::forward(joints_);
    const bool inToolFrame = coord == kToolCoord;
    if (isTurn(axis)) {
        const Rotation turn = turnAbout(axis, amount);
        pose.orientation = inToolFrame ? pose.orientation * turn : turn * pose.orientation;
    } else {
        const Vec3 along = inToolFrame ? pose.orientation * unitAlong(axis) : unitAlong(axis);
        pose.position = pose.position + amount * along;
    }
    const std::optional<Joints> next = ArmModel::inverse(pose, joints_);
    if (!next || jointDistance(*next, joints_) > kMaxJogJointStep)
        return false;
    setJoints(*next);
    return true;
}

void SimRobot::setJoints(const Joints& joints) {
    if (joints != joints_) {
        joints_ = joints;
        moved_ = true;
    }
}

bool SimRobot::takeMoved() {
    return std::exchange(moved_, false);
}

}  // namespace kelvo::sim
