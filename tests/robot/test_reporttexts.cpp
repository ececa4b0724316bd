// The texts and values the decoding reports announce; alarm texts reach the debug log, and one
// servo fault is singled out.

#include "linkedrobot.h"
#include "logcapture.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr quint16 kError = 0x2B03;

// The debug line the library writes for a text.
int logged(const LogCapture& log, const char* text) {
    return log.count('"' + QString::fromUtf8(text) + '"');
}

}  // namespace

using RobotReportTexts = LinkedRobotTest;
using RobotAlarmReports = LinkedRobotTest;

TEST_F(RobotReportTexts, PositionAndRunningStateTexts) {
    SignalLog<QByteArray, QByteArray> log(&robot, &Robot::receive_moreRobot_CurPosition);
    const struct {
        const char* payload;
        const char* pos;
        const char* posDeg;
    } cases[] = {{R"({"robot":1,"coord":0,"pos":[10,20,30,0,90,0,0],"posDeg":[1.5,-2,3,4,5,6,7]})",
                  "1 0 10.0000 20.0000 30.0000 0.0000 90.0000 0.0000 0.0000",
                  "1 0 1.5000 -2.0000 3.0000 4.0000 5.0000 6.0000 7.0000"},
                 {R"({"pos":[1.23456]})", "1.2346 0.0000 0.0000 0.0000 0.0000 0.0000 0.0000", ""},
                 {R"({"robot":2,"coord":3})", "2 3 ", "2 3 "},
                 {"not json", "", ""}};
    for (const auto& c : cases) {
        log.clear();
        link.report(0x2F08, c.payload);
        ASSERT_TRUE(link.flush());
        ASSERT_EQ(log.count(), 1) << c.payload;
        EXPECT_EQ(log.last(), std::make_tuple(QByteArray(c.pos), QByteArray(c.posDeg)));
    }

    const struct {
        quint16 word;
        const char* payload;
        const char* text;
        int state;
    } states[] = {{0x3D03, R"({"robot":1,"status":2})", "12", 2},
                  {0x3D03, "garbage", "", 2},  // kept: an unreadable report is no news
                  {0x9103, R"({"robot":3,"status":0,"continueRun":1})", "30", 0},
                  {0x3D03, R"({"status":1})", "1", 1},
                  {0x3D03, R"({"robot":4})", "4", 0}};
    SignalLog<QByteArray> runStatus(&robot, &Robot::pro_run_status);
    for (const auto& c : states) {
        runStatus.clear();
        link.report(c.word, c.payload);
        ASSERT_TRUE(link.flush());
        ASSERT_EQ(runStatus.count(), 1) << c.payload;
        EXPECT_EQ(std::get<0>(runStatus.last()), c.text) << c.payload;
        EXPECT_EQ(robot.runningState(), c.state) << c.payload;
    }
}

TEST_F(RobotReportTexts, DecodedEventsOnlyUnderTheirConditions) {
    DecodedReports* reports = &robot.decodedReports();
    SignalLog<int, int> jobStep(reports, &DecodedReports::robotp_jstatus);
    SignalLog<> continueRun(reports, &DecodedReports::robot_job_continueRun);
    SignalLog<int, int, int> jobStatus(reports, &DecodedReports::robot_job_status);
    SignalLog<QStringList> present(reports, &DecodedReports::receivePresentRobotList);
    SignalLog<int> outerAxes(reports, &DecodedReports::robot_tool_receiveOutterAxisCount);

    link.report(0x9103, R"({"robot":1,"continueRun":1,"status":4})");
    link.report(0x9103, R"({"robot":2,"continueRun":0,"status":1})");
    link.report(0x9103, R"({"robot":2,"continueRun":2,"status":1})");
    link.report(0x3E03, R"({"listnum":2,"nameList":["R-A","R-B","R-C"]})");
    link.report(0x3E03, R"({"listnum":0,"nameList":["R-A"]})");
    link.report(0x3E03, R"({"listnum":2147483647,"nameList":["R-A"]})");  // no 2^31 entries
    link.report(0x7006, R"({"AxisNum":4})");
    link.report(0x7006, R"({"AxisNum":2})");
    ASSERT_TRUE(link.flush());

    ASSERT_EQ(jobStep.count(), 1);
    EXPECT_EQ(jobStep.last(), std::make_tuple(1, 4));
    EXPECT_EQ(continueRun.count(), 1);
    ASSERT_EQ(jobStatus.count(), 1);
    EXPECT_EQ(jobStatus.last(), std::make_tuple(2, 1, 0));
    ASSERT_EQ(present.count(), 2);
    EXPECT_EQ(
        std::get<0>(present.calls().front()),
        (QStringList{QStringLiteral("自定义"), QStringLiteral("R-A"), QStringLiteral("R-B")}));
    EXPECT_EQ(std::get<0>(present.last()),
              (QStringList{QStringLiteral("自定义"), QStringLiteral("R-A")}));
    ASSERT_EQ(outerAxes.count(), 1);
    EXPECT_EQ(std::get<0>(outerAxes.last()), 2);
}

TEST_F(RobotAlarmReports, TextsAreLoggedAndAServoFaultSingledOutForTheTaughtRobotOnly) {
    SignalLog<> errors(&robot.decodedReports(), &DecodedReports::robot_err_info);
    SignalLog<QString> servoFaults(&robot.decodedReports(), &DecodedReports::robot_servo_err_info);
    LogCapture log;
    // teachRobot 0: the base robot is in use. text: as decoded.
    const struct {
        const char* what;
        int teachRobot;
        const char* payload;
        const char* text;
        bool singledOut;
    } cases[] = {
        {"own robot, raw UTF-8", 1, R"({"data":"机器人1 伺服驱动器报警","type":24592})",
         "机器人1 伺服驱动器报警", true},
        {"own robot, escaped name", 2,
         R"({"data":"\u673a\u5668\u4eba2 \u4f3a\u670d","type":24592})", "机器人2 伺服", true},
        {"another robot", 1, R"({"data":"机器人2 伺服驱动器报警","type":24592})",
         "机器人2 伺服驱动器报警", false},
        {"no robot selected for teaching", 0, R"({"data":"机器人1 伺服驱动器报警","type":24592})",
         "机器人1 伺服驱动器报警", false},
        {"another code", 1, R"({"data":"机器人1 伺服驱动器报警","type":24593})",
         "机器人1 伺服驱动器报警", false},
        {"code as text", 1, R"({"data":"机器人1 x","type":"24592"})", "机器人1 x", false},
        {"no robot name", 1, R"({"data":"伺服驱动器报警","type":24592})", "伺服驱动器报警", false}};
    int reported = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        robot.setCurrentRobot(c.teachRobot == 0 ? 1 : 0, c.teachRobot == 0 ? 1 : c.teachRobot);
        servoFaults.clear();
        log.clear();
        link.report(kError, c.payload);
        ASSERT_TRUE(link.flush());
        EXPECT_EQ(errors.count(), ++reported);
        EXPECT_EQ(logged(log, c.text), 1);
        ASSERT_EQ(servoFaults.count(), c.singledOut ? 1 : 0);
        if (c.singledOut) {
            EXPECT_EQ(std::get<0>(servoFaults.last()), QString::fromUtf8(c.text));
        }
    }

    // Warnings and notes are only logged; a text with a line break still makes one line. Alarms
    // without a text are dropped, and nothing of theirs reaches the host's log.
    log.clear();
    servoFaults.clear();
    link.report(0x2B04, R"({"data":"机器人1 低电量\n请更换","type":24592})");
    link.report(0x2B05, R"({"data":"程序已保存"})");
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(logged(log, "机器人1 低电量\\n请更换") + logged(log, "程序已保存"), 2);
    log.clear();
    for (quint16 word : {kError, quint16(0x2B04), quint16(0x2B05)}) {
        for (const char* dropped : {R"({"type":24592})", R"({"data":42,"type":24592})",
                                    R"({"data":{"x":"机器人1"}})", "[1,2]", "{\"data\":"})
            link.report(word, dropped);
    }
    ASSERT_TRUE(link.flush());
    EXPECT_EQ(errors.count(), reported);
    EXPECT_EQ(servoFaults.count(), 0);
    EXPECT_EQ(log.lines().filter(QRegularExpression(QStringLiteral("^\""))).size(), 0);
}
