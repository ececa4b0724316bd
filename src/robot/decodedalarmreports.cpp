// Errors, warnings and information from the controller: logged, never kept.

#include "link/jsonwire.h"
#include "robot/decodedreports.h"
#include "robot/hostlog.h"
#include "robot/reportfields.h"
#include "robot/reportroute.h"
#include "robot/robot.h"

#include <optional>

namespace json = kelvo::json;

namespace {

// The controller's code for a fault in a robot's servo drives.
constexpr int kServoAlarmCode = 0x6010;
constexpr int kRobots = 4;

// The message text of an alarm; a "data" member that is not text counts as missing.
std::optional<QString> alarmText(const Json::Value& report) {
    const Json::Value& data = json::member(report, "data");
    if (!data.isString())
        return std::nullopt;
    return json::text(data);
}

void logAlarm(const QByteArray& payload) {
    const std::optional<Json::Value> report = json::parse(payload);
    if (!report)
        return;
    if (const std::optional<QString> text = alarmText(*report))
        kelvo::writeHostLog(text->toUtf8());
}

// Whether the text begins with the name of the robot selected for teaching ("机器人1" to
// "机器人4"); while no robot is selected for teaching, no text does.
bool namesTaughtRobot(const QString& text, int robot) {
    return robot >= 1 && robot <= kRobots &&
           text.startsWith(QStringLiteral("机器人") + QString::number(robot));
}

}  // namespace

void DecodedReports::routeAlarmReports(TcpConnectModule* from) {
    kelvo::connectRoutes<QByteArray>(
        from, this,
        {
            {&TcpConnectModule::receivedError, &DecodedReports::robot_net_slot_errProcess},
            {&TcpConnectModule::receivedWarning, &DecodedReports::robot_net_slot_warnProcess},
            {&TcpConnectModule::receivedInfo, &DecodedReports::robot_net_slot_infoProcess},
        });
}

void DecodedReports::robot_net_slot_errProcess(QByteArray data) {
    const std::optional<Json::Value> report = json::parse(data);
    if (!report)
        return;
    const std::optional<QString> text = alarmText(*report);
    if (!text)
        return;
    emit robot_err_info();
    kelvo::writeHostLog(text->toUtf8());
    if (kelvo::intMember(*report, "type") == kServoAlarmCode &&
        namesTaughtRobot(*text, robot_.teachRobotNumber()))
        emit robot_servo_err_info(*text);
}

void DecodedReports::robot_net_slot_warnProcess(QByteArray data) {
    logAlarm(data);
}

void DecodedReports::robot_net_slot_infoProcess(QByteArray data) {
    logAlarm(data);
}
