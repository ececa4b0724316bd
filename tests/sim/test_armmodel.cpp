#include "armmodel.h"
#include "rotation.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kelvo::sim;

static void expectPose(const PoseValues& actual, const PoseValues& expected,
                       double tolerance = 1e-6) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "value " << i;
    for (int i = 3; i < 6; ++i)  // angles: 180 is -180
        EXPECT_LT(std::abs(std::remainder(actual[i] - expected[i], 360.0)), tolerance) << i;
}

TEST(ArmModel, ForwardPutsHomeInFrontAndInverseFindsTheNearestJointsOfEveryReachablePose) {
    // Home has the tool pointing down; joint 1 swings the arm about the vertical, the tool with it.
    expectPose(ArmModel::forward(Joints{}).values(), {500, 0, 850, 180, 0, 0});
    expectPose(ArmModel::forward(Joints{90, 0, 0, 0, 0, 0}).values(), {0, 500, 850, 180, 0, 90});
    const Joints configurations[] = {
        {0, 0, 0, 0, 0, 0},
        {30, 20, -10, 15, -40, 60},
        {-120, -45, 60, -90, 80, -200},
        {10, 60, 100, 170, -110, 300},  // reaching back over the shoulder
        {0, 80, -150, 0, 0, 0},         // elbow down
        {45, 10, -20, 0, -89.9, 0},     // wrist almost stretched out: near the singularity
        {0, 0, 0, 30, 90, -30},         // on it: only joint 4 + joint 6 counts
    };
    for (const Joints& joints : configurations) {
        SCOPED_TRACE(::testing::Message() << joints[0] << " " << joints[1] << " " << joints[2]);
        const Pose pose = ArmModel::forward(joints);
        const std::optional<Joints> back = ArmModel::inverse(pose, joints);
        ASSERT_TRUE(back);
        expectPose(ArmModel::forward(*back).values(), pose.values());
        EXPECT_LT(jointDistance(*back, joints), 1e-6);
    }
    // Given joints near the opposite limit: the turn within the limits, not a nearer one beyond.
    const std::pair<Joints, Joints> farApart[] = {
        {{0, 100, 0, 0, 0, 0}, {0, -105, 0, 0, 0, 0}},
        {{0, 0, 160, 0, 0, 0}, {0, 0, -165, 0, 0, 0}},
        {{0, 0, 0, 0, 110, 0}, {0, 0, 0, 0, -115, 0}},
        {{160, 0, 0, 0, 0, 0}, {-165, 0, 0, 0, 0, 0}},
    };
    for (const auto& [joints, near] : farApart) {
        const std::optional<Joints> back = ArmModel::inverse(ArmModel::forward(joints), near);
        ASSERT_TRUE(back) << joints[0] << " " << joints[1] << " " << joints[2];
        EXPECT_LT(jointDistance(*back, joints), 1e-6);
    }
}

TEST(ArmModel, PosesOutOfReachHaveNoJointsAndJointsBeyondTheLimitsAreRefused) {
    const Joints home{};
    const PoseValues unreachable[] = {
        {1200, 0, 850, 180, 0, 0},  // beyond the stretched arm
        {500, 0, -600, 180, 0, 0},  // far below the base
        {500, 0, 850, NAN, 0, 0},
    };
    for (const PoseValues& values : unreachable)
        EXPECT_FALSE(ArmModel::inverse(Pose::fromValues(values), home)) << values[0];
    EXPECT_FALSE(ArmModel::withinLimits({0, 0, 0, 0, 121, 0}));
    EXPECT_TRUE(ArmModel::withinLimits({170, -110, 170, -180, 120, 360}));
}

TEST(Rotation, EulerAnglesRoundTripAndTurnsInterpolateOnTheShortestWay) {
    const Vec3 angles[] = {{0, 0, 0}, {10, -20, 30}, {180, 0, 0}, {-170, 89, 45}, {0, 90, 0}};
    for (const Vec3& a : angles) {
        const Rotation r = Rotation::fromEuler(a);
        EXPECT_LT(r.angleTo(Rotation::fromEuler(r.toEuler())), 1e-6) << a.x << " " << a.y;
    }
    const Rotation from = Rotation::fromEuler({180, 0, 0});
    const Rotation to = Rotation::fromEuler({180, 0, 90});
    EXPECT_NEAR(from.angleTo(to), 90, 1e-9);
    EXPECT_NEAR(from.angleTo(from.towards(to, 0.5)), 45, 1e-9);
    EXPECT_NEAR(from.towards(to, 1.0).angleTo(to), 0, 1e-6);
}
