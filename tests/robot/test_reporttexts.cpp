// The texts and values the decoding reports announce.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

struct TextCase {
    quint16 word;
    const char* payload;
    const char* expected;
};

// Sends each case and returns, per case, the text the signal carried ("(none)" when silent).
template <typename... Args>
void expectTexts(LinkedRobot& link, void (DecodedReports::*signal)(Args...),
                 std::initializer_list<TextCase> cases) {
    SignalLog<Args...> log(&link.robot->decodedReports(), signal);
    for (const TextCase& c : cases) {
        log.clear();
        link.report(c.word, c.payload);
        ASSERT_TRUE(link.flush());
        const QByteArray text =
            log.count() == 1 ? std::get<sizeof...(Args) - 1>(log.last()) : QByteArray("(none)");
        EXPECT_EQ(text, c.expected) << c.payload;
    }
}

}  // namespace

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

TEST_F(RobotReportTexts, InchSpeedAndMotorFigureTexts) {
    expectTexts(link, &DecodedReports::robot_jointInchSpeed_data_check,
                {{0x2606, R"({"AxisNum":3,"MaxSpeed":12.5,"MaxAcc":100})", "12.5 100"},
                 {0x2606, R"({"MaxSpeed":1,"MaxAcc":2})", "(none)"},
                 {0x2606, R"({"AxisNum":1,"MaxAcc":0.5})", " 0.5"}});
    expectTexts(link, &DecodedReports::robot_outInchSpeed_data_check,
                {{0x7026, R"({"AxisNum":1,"MaxSpeed":0.0001234567})", "0.000123457 "}});
    expectTexts(link, &DecodedReports::robot_rectInchSpeed_data_check,
                {{0x2609, R"({"MaxSpeed":1234567,"MaxAcc":12345678})", "1.23457e+06 1.23457e+07"},
                 {0x2609, "{}", " "}});
    expectTexts(link, &DecodedReports::robot_sensitivity_data_check,
                {{0x260C, R"({"Sensitivity":0.1})", "0.1"}});
    expectTexts(link, &DecodedReports::robot_interpolationMode_data_check,
                {{0x2803,
                  R"({"interpolationMethod":1,"absolutePosResolution":0.001,)"
                  R"("remoteDefaultSpeed":20,"runDelayTime":5,"stopTime":100})",
                  "1 0.001 20 5 100"},
                 {0x2803, R"({"interpolationMethod":1,"absolutePosResolution":0.001})", "(none)"}});
    expectTexts(link, &DecodedReports::robot_tool_receiveMotorSpeed,
                {{0x2A05,
                  R"({"robot":1,"vel":[1,2,3,4,5,6,7],"velSync":[0.5,1,1.5,2,2.5],)"
                  R"("maxVel":[10,20,30,40,50,60,70],"maxVelSync":[1,2]})",
                  "1 2 3 4 5 6 7 0.5 1 1.5 2 2.5;10 20 30 40 50 60 70 1 2 0 0 0"}});
    const char* torque =
        R"({"torq":[1],"theoTorq":[2],"torqSync":[3],"maxTorq":[4],"maxTheoTorq":[5],)"
        R"("maxTorqSync":[6]})";
    expectTexts(link, &DecodedReports::robot_tool_receiveMotorTorque,
                {{0x2A07, torque, "1 0 0 0 0 0 0 3 0 0 0 0;4 0 0 0 0 0 0 6 0 0 0 0"}});
    expectTexts(link, &DecodedReports::robot_tool_receiveMotorTorqueTheo,
                {{0x2A07, torque, "2 0 0 0 0 0 0 5 0 0 0 0 0 0 "}});
    expectTexts(link, &DecodedReports::signal_robotReceivedMotorLoad,
                {{0x2A0B, R"({"motorOverload":[1,2,3,4,5,6,7],"motorOverloadSync":[8,9,10,11,12]})",
                  "1 2 3 4 5 6 7 8 9 10 11 12;"}});
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
