// The texts and values the decoding reports announce.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <QStringList>

using RobotReportTexts = LinkedRobotTest;

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
