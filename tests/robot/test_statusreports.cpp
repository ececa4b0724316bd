// The state reports: what they store, what they announce and what they ask back.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

// The payload of the next frame with this word, or "(none)".
QByteArray sent(LinkedRobot& link, quint16 word) {
    const auto frame = link.sim.expectFrame(word);
    return frame ? frame->payload : QByteArray("(none)");
}

}  // namespace

using RobotStatusReports = LinkedRobotTest;

TEST_F(RobotStatusReports, ServoReportInRunAndTeachMode) {
    SignalLog<QByteArray> servoChanged(&robot, &Robot::robot_servo_changed);
    SignalLog<int> axisWidget(&robot, &Robot::show_hide_Axis_widget);
    SignalLog<> r1(&robot, &Robot::updateR1MotButtonText);
    SignalLog<> r2(&robot, &Robot::updateR2MotButtonText);

    // Run mode: every robot's report sets the servo state.
    link.report(0x2103, R"({"mode":2})");
    link.report(0x2003, R"({"mode":1,"robot":2,"status":3})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.servoStatus(), 3);
    EXPECT_EQ(robot.robotServoStatus(2), 3);
    EXPECT_EQ(r2.count(), 1);
    EXPECT_EQ(r1.count(), 0);
    ASSERT_EQ(servoChanged.count(), 1);
    EXPECT_EQ(std::get<0>(servoChanged.last()), QByteArray("\x01\x02\x03", 3));
    ASSERT_EQ(axisWidget.count(), 1);
    EXPECT_EQ(std::get<0>(axisWidget.last()), 0);

    // Teach mode, robot 1 selected for teaching: robot 2's report only updates its own entry.
    link.report(0x2103, R"({"mode":0})");
    link.report(0x2003, R"({"mode":1,"robot":2,"status":2})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.servoStatus(), 3);
    EXPECT_EQ(robot.robotServoStatus(2), 2);
    EXPECT_EQ(r2.count(), 2);
    EXPECT_EQ(axisWidget.count(), 2);

    // The taught robot reaching 3 in teach mode keeps the axis widget; mode 0 touches no entry.
    link.report(0x2003, R"({"mode":0,"robot":1,"status":3})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.servoStatus(), 3);
    EXPECT_EQ(robot.robotServoStatus(1), 0);
    EXPECT_EQ(r1.count(), 0);
    EXPECT_EQ(axisWidget.count(), 2);
    EXPECT_EQ(std::get<0>(servoChanged.last()), QByteArray("\x00\x01\x03", 3));

    // Robots past the fourth are truncated into the three bytes, never used as an index.
    for (int number : {5, 260}) {
        link.report(
            0x2003,
            ("{\"mode\":1,\"robot\":" + std::to_string(number) + ",\"status\":-1}").c_str());
        ASSERT_TRUE(link.flush());
        EXPECT_EQ(std::get<0>(servoChanged.last()),
                  QByteArray("\x01") + static_cast<char>(number & 0xFF) + '\xFF');
        EXPECT_EQ(robot.robotServoStatus(4), 0);
        EXPECT_EQ(robot.operationMode(), 0);
        EXPECT_EQ(r2.count(), 2);
    }
}

TEST_F(RobotStatusReports, RobotSelectionFollowsTheControllerIntoLaterPayloads) {
    SignalLog<int, int> changed(&robot, &Robot::robot_change_CurRobot);
    auto positionQuery = [&] {
        robot.queryCurrentPosition(1);
        return sent(link, 0x2F07);
    };
    // Incomplete, mistyped or unknown changes leave the selection; mode 5 is announced only.
    const struct {
        const char* report;
        int robot;
    } selections[] = {{"", 1},
                      {R"({"mode":0,"robot":2})", 2},
                      {R"({"mode":1,"robot":3})", 3},
                      {R"({"mode":0})", 3},
                      {R"({"robot":2})", 3},
                      {"garbage", 3},
                      {R"({"mode":"0","robot":2})", 3},
                      {R"({"mode":5,"robot":4})", 3}};
    for (const auto& s : selections) {
        if (*s.report)
            link.report(0x5003, s.report);
        ASSERT_TRUE(link.flush());
        EXPECT_EQ(positionQuery(), "{\"coord\":1,\"robot\":" + QByteArray::number(s.robot) + "}\n")
            << s.report;
    }
    EXPECT_EQ(robot.teachRobotNumber(), 0);
    EXPECT_EQ(changed.count(), 3);

    // Coordinate reports now count only for robot 3.
    link.report(0x2203, R"({"coord":2,"robot":1})");
    link.report(0x2203, R"({"coord":1,"robot":3})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.coordMode(), 1);
}

TEST_F(RobotStatusReports, FirstValidModeReportIsAnnouncedEvenWhenUnchanged) {
    // The flag lives for the process, so the check runs in a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SignalLog<OperationMode> modes(&robot, &Robot::robot_mode_changed);
            for (const char* mode : {R"({"mode":7})", R"({"mode":0})", R"({"mode":0})",
                                     R"({"mode":2})", R"({"mode":2})", R"({"mode":1})"})
                link.report(0x2103, mode);
            link.flush();
            std::string announced;
            for (const auto& call : modes.calls())
                announced += ' ' + std::to_string(static_cast<int>(std::get<0>(call)));
            std::fprintf(stderr, "announced:%s\n", announced.c_str());
            std::fflush(stderr);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "announced: 0 2 1\n");
}

TEST_F(RobotStatusReports, ReportsThatAskTheControllerBack) {
    SignalLog<> outerAxis(&robot, &Robot::robot_outterAxis_num);
    for (quint16 word : {0x2105, 0x2201, 0x3C0B})
        link.leaveUnanswered(word);

    // Teach mode asks for the teach type, with an empty payload; other modes ask nothing.
    link.report(0x2103, R"({"mode":1})");
    EXPECT_TRUE(link.sim.expectNoFrame(0x2105, 300));
    link.report(0x2103, R"({"mode":0})");
    EXPECT_EQ(sent(link, 0x2105), "");
    link.report(0x2106, R"({"teachType":1})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.teachTypeText(), QStringLiteral("拖拽"));

    // User coordinates ask which one is in use.
    link.report(0x2203, R"({"coord":3,"robot":1})");
    EXPECT_EQ(sent(link, 0x3C0B), "{\"robot\":1}\n");
    EXPECT_EQ(robot.coordMode(), 3);

    // Selecting the positioner addresses its coordinates as the next robot and freezes coordMode.
    link.report(0x700F, R"({"num":7})");
    ASSERT_TRUE(link.flush());  // a queued handler: it runs while the test thread takes events
    EXPECT_EQ(sent(link, 0x2201), "{\"coord\":3,\"robot\":2}\n");
    link.report(0x2203, R"({"coord":1,"robot":1})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.syncPositionerCoord(), 7);
    EXPECT_EQ(robot.coordMode(), 3);
    link.report(0x700F, R"({"num":0})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(sent(link, 0x2201), "{\"coord\":0,\"robot\":1}\n");
    link.report(0x2203, R"({"coord":1,"robot":1})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(robot.coordMode(), 1);
    // Each switch tells its listeners 100 ms later, by a timer.
    EXPECT_TRUE(waitFor([&] { return outerAxis.count() == 2; }, 2000));
    EXPECT_TRUE(link.sim.expectNoFrame(0x3C0B, 100));
}

TEST_F(RobotStatusReports, CacheFieldsAndShortArrays) {
    SignalLog<QByteArray> doutDisplay(&robot, &Robot::robot_dout_display);

    QByteArray status128 = "{\"status\":[";
    for (int i = 0; i < 128; ++i)
        status128 += QByteArray::number(i == 127 ? 257 : i) + ',';
    status128.chop(1);
    link.sim.sendReport(0x3603, status128 + "]}");
    link.report(0x3606, R"({"status":[1,0,1]})");
    link.report(0x3609, R"({"value":[5,"x",7.9]})");
    link.report(0x360B, R"({"value":[-3]})");
    link.report(0x2F08, R"({"pos":[1,2,3,4,5,6,7]})");
    link.report(0x2F08, R"({"pos":[9.5,8]})");
    link.report(0x2603, R"({"speed":102})");
    link.report(0x2E06, R"({"sum":3})");
    link.report(0x5502, R"({"answer":"ok 好"})");
    link.report(0x7013, R"({"coord":0,"posSync":[1,2,3,4,5]})");
    // Members of the wrong type count as missing: the cache keeps what the good reports wrote.
    link.report(0x2F08, R"({"pos":"p"})");
    link.report(0x2603, R"({"speed":"fast"})");
    ASSERT_TRUE(link.flush());

    std::array<double, 16> dout{}, din{}, aout{}, ain{};
    robot.copyDout(dout.data());
    robot.copyDin(din.data());
    robot.copyAout(aout.data());
    robot.copyAin(ain.data());
    EXPECT_EQ(dout, (std::array<double, 16>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(din, (std::array<double, 16>{1, 0, 1}));
    EXPECT_EQ(aout, (std::array<double, 16>{5, 0, 7}));
    EXPECT_EQ(ain, (std::array<double, 16>{-3}));
    ASSERT_EQ(doutDisplay.count(), 1);
    const QByteArray display = std::get<0>(doutDisplay.last());
    ASSERT_EQ(display.size(), 128);
    EXPECT_EQ(display[100], 100);
    EXPECT_EQ(display[127], 1);

    std::array<double, 6> position{};
    robot.copyCurrentPosition(position.data());
    EXPECT_EQ(position, (std::array<double, 6>{9.5, 8}));
    std::array<double, 5> sync{};
    robot.copySyncPosition(sync.data());
    EXPECT_EQ(sync, (std::array<double, 5>{1, 2, 3, 4, 5}));

    EXPECT_EQ(robot.jogSpeed(), 102);
    EXPECT_EQ(robot.robotCount(), 3);
    EXPECT_EQ(robot.uploadAnswer(), QStringLiteral("ok 好"));
}
