// The requests the Robot sends, the conditions that hold them back, and its shared helpers.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using RobotRequests = LinkedRobotTest;

// A payload JSON cannot carry is refused whole; a job name is escaped.
TEST_F(RobotRequests, PayloadsAreEscapedOrRefusedWhole) {
    Json::Value bad;
    bad["value"] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(robot.sendCommand(0x3607, bad));
    bad["value"] = HUGE_VAL;
    EXPECT_FALSE(robot.sendCommand(0x3607, bad));
    EXPECT_TRUE(link.sim.expectNoFrame(0x3607, 300));
    EXPECT_TRUE(robot.runJob(QStringLiteral("焊接 \"1\"")));
    EXPECT_EQ(link.sim.expectFrame(0x2501)->payload,
              "{\"continueRun\":0,\"jobname\":\"焊接 \\\"1\\\"\",\"line\":1,\"robot\":1}\n");
}

TEST_F(RobotRequests, JoggingAndDeadmanOnlyInTheirServoStatesAndModes) {
    auto servo = [&](int status) {
        link.report(0x2003,
                    ("{\"mode\":1,\"robot\":1,\"status\":" + std::to_string(status) + "}").c_str());
        ASSERT_TRUE(link.flush());
    };

    // Servo status 1 (as at start): no jogging.
    EXPECT_FALSE(robot.jogAxis(1, true));
    EXPECT_TRUE(link.sim.expectNoFrame(0x2901, 300));

    servo(3);
    for (int axis = 1; axis <= 12; ++axis) {
        for (int direction : {-1, 1}) {
            EXPECT_TRUE(robot.jogAxis(axis, direction > 0));
            const auto frame = link.sim.expectFrame(0x2901);
            ASSERT_TRUE(frame);
            EXPECT_EQ(frame->payload, QStringLiteral("{\"axis\":%1,\"direction\":%2}\n")
                                          .arg(axis)
                                          .arg(direction)
                                          .toUtf8());
        }
    }
    EXPECT_FALSE(robot.jogAxis(0, true));
    EXPECT_FALSE(robot.jogAxis(13, true));
    EXPECT_FALSE(robot.jogAxis(-2147483647 - 1, true));
    EXPECT_TRUE(link.sim.expectNoFrame(0x2901, 300));

    // Deadman: teach mode with servo 1 or 3 only.
    EXPECT_TRUE(robot.robot_key_slot_saftySwitchProcess(0));
    EXPECT_EQ(link.sim.expectFrame(0x2301)->payload, "{\"deadman\":0}\n");
    servo(2);
    EXPECT_FALSE(robot.robot_key_slot_saftySwitchProcess(1));
    EXPECT_FALSE(robot.jogAxis(12, true));
    link.report(0x2103, R"({"mode":1})");
    servo(3);
    EXPECT_FALSE(robot.robot_key_slot_saftySwitchProcess(1));
    EXPECT_TRUE(link.sim.expectNoFrame(0x2301, 300));
    EXPECT_TRUE(link.sim.expectNoFrame(0x2901, 0));

    EXPECT_EQ(robot.servoOnResult(2), 0);
    EXPECT_EQ(robot.servoOnResult(1), 1);
}
