#include "armmodel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kelvo::sim {

namespace {

constexpr double kShoulderHeight = 450.0;  // base to the axis of joint 2
constexpr double kUpperArm = 500.0;        // joint 2 to joint 3
constexpr double kForearm = 500.0;         // joint 3 to the wrist centre
constexpr double kFlange = 100.0;          // wrist centre to the tool point

// Joint 5 at 0 bends the wrist by a quarter turn, so that the home pose is no wrist singularity;
// the tool frame is turned half a turn about the flange so that home reads rx 180, ry 0, rz 0.
constexpr double kWristBend = 90.0;
constexpr double kToolTurn = 180.0;

struct Axis {
    double lower;
    double upper;
    double speed;  // degrees per second at 100 %
};

constexpr Axis kAxes[kArmAxes] = {
    {-170, 170, 120}, {-110, 110, 120}, {-170, 170, 120},
    {-180, 180, 180}, {-120, 120, 180}, {-360, 360, 180},
};

const Axis& axisAt(int axis) {
    return kAxes[std::clamp(axis, 1, kArmAxes) - 1];
}

double wrap180(double angle) {
    angle = std::remainder(angle, 360.0);
    return angle <= -180.0 ? angle + 360.0 : angle;
}

// The turn of angle (angle + k * 360) within the axis limits that lies nearest to near.
double nearestTurn(double angle, double near, int axis) {
    const Axis& limits = axisAt(axis);
    double best = angle;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int k = -2; k <= 2; ++k) {
        const double candidate = angle + 360.0 * k;
        if (candidate < limits.lower - 1e-9 || candidate > limits.upper + 1e-9)
            continue;
        if (std::abs(candidate - near) < bestDistance) {
            best = candidate;
            bestDistance = std::abs(candidate - near);
        }
    }
    return best;
}

// The arm up to the wrist centre: joint 1 and the forearm's angle from the vertical.
Rotation armRotation(double joint1, double forearmAngle) {
    return Rotation::aboutZ(joint1) * Rotation::aboutY(forearmAngle);
}

Rotation wristRotation(double joint4, double joint5, double joint6) {
    return Rotation::aboutZ(joint4) * Rotation::aboutY(joint5 + kWristBend) *
           Rotation::aboutZ(joint6) * Rotation::aboutZ(kToolTurn);
}

double sumOfChanges(const Joints& a, const Joints& b) {
    double sum = 0;
    for (int i = 0; i < kArmAxes; ++i)
        sum += std::abs(a[i] - b[i]);
    return sum;
}

// Joints 4 to 6 for the wrist rotation w = Rz(j4) Ry(j5 + bend) Rz(j6): both solutions, or one
// at the singularity (j5 + bend at 0 or 180), where only j4 - j6 or j4 + j6 is fixed and j4 keeps
// its present value.
std::vector<std::array<double, 3>> wristSolutions(const Rotation& w, double nearJoint4) {
    const double sinBend = std::hypot(w.at(0, 2), w.at(1, 2));
    const double bend = degrees(std::atan2(sinBend, w.at(2, 2)));
    if (sinBend < 1e-9) {
        const double joint4 = nearJoint4;
        const double joint6 = w.at(2, 2) > 0
                                  ? degrees(std::atan2(w.at(1, 0), w.at(0, 0))) - joint4
                                  : joint4 - degrees(std::atan2(-w.at(1, 0), -w.at(0, 0)));
        return {{joint4, bend - kWristBend, joint6}};
    }
    const double joint4 = degrees(std::atan2(w.at(1, 2), w.at(0, 2)));
    const double joint6 = degrees(std::atan2(w.at(2, 1), -w.at(2, 0)));
    return {{joint4, bend - kWristBend, joint6},
            {joint4 + 180.0, -bend - kWristBend, joint6 + 180.0}};
}

// Every elbow and wrist configuration that puts the tool at pose with joint 1 as given.
std::vector<Joints> armSolutions(const Pose& pose, const Vec3& centre, double joint1,
                                 const Joints& near) {
    const double reach =
        centre.x * std::cos(radians(joint1)) + centre.y * std::sin(radians(joint1));
    const double height = centre.z - kShoulderHeight;
    const double distance = std::hypot(reach, height);
    if (distance < 1e-9 || distance > kUpperArm + kForearm + 1e-9 ||
        distance < std::abs(kUpperArm - kForearm) - 1e-9)
        return {};
    const double towardsWrist = degrees(std::atan2(reach, height));
    const double elbowAngle = degrees(
        std::acos(std::clamp((kUpperArm * kUpperArm + distance * distance - kForearm * kForearm) /
                                 (2.0 * kUpperArm * distance),
                             -1.0, 1.0)));
    std::vector<Joints> solutions;
    for (const double joint2 : {towardsWrist - elbowAngle, towardsWrist + elbowAngle}) {
        const double forearmAngle =
            degrees(std::atan2(reach - kUpperArm * std::sin(radians(joint2)),
                               height - kUpperArm * std::cos(radians(joint2))));
        const Rotation wrist = armRotation(joint1, forearmAngle).transposed() * pose.orientation *
                               Rotation::aboutZ(kToolTurn).transposed();
        for (const auto& w : wristSolutions(wrist, near[3])) {
            solutions.push_back({joint1, nearestTurn(wrap180(joint2), near[1], 2),
                                 nearestTurn(wrap180(forearmAngle - joint2 - 90.0), near[2], 3),
                                 nearestTurn(wrap180(w[0]), near[3], 4),
                                 nearestTurn(wrap180(w[1]), near[4], 5),
                                 nearestTurn(wrap180(w[2]), near[5], 6)});
        }
    }
    return solutions;
}

}  // namespace

Pose Pose::fromValues(const PoseValues& values) {
    return {{values[0], values[1], values[2]},
            Rotation::fromEuler({values[3], values[4], values[5]})};
}

PoseValues Pose::values() const {
    const Vec3 angles = orientation.toEuler();
    return {position.x, position.y, position.z, angles.x, angles.y, angles.z};
}

Pose ArmModel::forward(const Joints& j) {
    const double forearmAngle = j[1] + j[2] + 90.0;
    const double reach =
        kUpperArm * std::sin(radians(j[1])) + kForearm * std::sin(radians(forearmAngle));
    const double height = kShoulderHeight + kUpperArm * std::cos(radians(j[1])) +
                          kForearm * std::cos(radians(forearmAngle));
    const Vec3 wrist = Rotation::aboutZ(j[0]) * Vec3{reach, 0.0, height};
    const Rotation orientation = armRotation(j[0], forearmAngle) * wristRotation(j[3], j[4], j[5]);
    return {wrist + kFlange * (orientation * Vec3{0, 0, 1}), orientation};
}

std::optional<Joints> ArmModel::inverse(const Pose& pose, const Joints& near) {
    const Vec3 centre = pose.position - kFlange * (pose.orientation * Vec3{0, 0, 1});
    // Joint 1 faces the wrist centre, or turns its back to it and reaches over.
    std::vector<double> joint1s{near[0]};
    if (std::hypot(centre.x, centre.y) >= 1e-6) {
        const double facing = degrees(std::atan2(centre.y, centre.x));
        joint1s = {nearestTurn(facing, near[0], 1), nearestTurn(facing + 180.0, near[0], 1)};
    }
    std::optional<Joints> best;
    for (const double joint1 : joint1s) {
        for (const Joints& candidate : armSolutions(pose, centre, joint1, near)) {
            if (withinLimits(candidate) &&
                (!best || sumOfChanges(candidate, near) < sumOfChanges(*best, near)))
                best = candidate;
        }
    }
    return best;
}

bool ArmModel::withinLimits(const Joints& joints) {
    for (int i = 0; i < kArmAxes; ++i) {
        if (!(joints[i] >= kAxes[i].lower - 1e-9 && joints[i] <= kAxes[i].upper + 1e-9))
            return false;
    }
    return true;
}

double ArmModel::lowerLimit(int axis) {
    return axisAt(axis).lower;
}

double ArmModel::upperLimit(int axis) {
    return axisAt(axis).upper;
}

double ArmModel::maxJointSpeed(int axis) {
    return axisAt(axis).speed;
}

double jointDistance(const Joints& a, const Joints& b) {
    double largest = 0;
    for (int i = 0; i < kArmAxes; ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

}  // namespace kelvo::sim
