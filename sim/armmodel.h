#pragma once

#include "rotation.h"

#include <array>
#include <optional>

namespace kelvo::sim {

inline constexpr int kArmAxes = 6;

// Joint angles in degrees, axis 1 first.
using Joints = std::array<double, kArmAxes>;
// A position as the controller writes it: x, y, z in mm, then rx, ry, rz in degrees.
using PoseValues = std::array<double, 6>;

struct Pose {
    Vec3 position;
    Rotation orientation;

    static Pose fromValues(const PoseValues& values);
    PoseValues values() const;
};

// The simulated arm: a six-axis robot with a spherical wrist. Axis 1 turns about the vertical,
// 2 and 3 tilt the upper arm and forearm in the arm's plane, 4 to 6 turn the wrist. With every
// joint at 0 the upper arm stands upright, the forearm points along +x and the tool points
// straight down: x 500, y 0, z 850, rx 180, ry 0, rz 0.
class ArmModel {
public:
    static Pose forward(const Joints& joints);
    // The joints that put the tool at pose, within the limits: of the elbow and wrist
    // configurations the one nearest to `near`. Empty when the pose is out of reach.
    static std::optional<Joints> inverse(const Pose& pose, const Joints& near);

    static bool withinLimits(const Joints& joints);
    // Axis 1 to 6; the limits of the axis in degrees.
    static double lowerLimit(int axis);
    static double upperLimit(int axis);
    // Axis 1 to 6; degrees per second of a joint move at 100 %.
    static double maxJointSpeed(int axis);
};

// The largest change of any one joint between a and b.
double jointDistance(const Joints& a, const Joints& b);

}  // namespace kelvo::sim
