// Alarm reports: their texts reach the debug log, and one servo fault is singled out.

#include "linkedrobot.h"
#include "logcapture.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

constexpr quint16 kError = 0x2B03;

// The debug line the library writes for a text.
int logged(const LogCapture& log, const char* text) {
    return log.count('"' + QString::fromUtf8(text) + '"');
}

}  // namespace

using RobotAlarmReports = LinkedRobotTest;

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
