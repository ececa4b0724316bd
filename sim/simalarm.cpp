#include "simalarm.h"

#include "link/jsonwire.h"

namespace kelvo::sim {

namespace {

constexpr quint16 kErrorReport = 0x2B03;
constexpr quint16 kWarningReport = 0x2B04;

struct AlarmEntry {
    SimAlarm alarm;
    quint16 word;
    int code;
    const char* text;  // UTF-8, in the controller's words
};

// clang-format off
constexpr AlarmEntry kAlarms[] = {
    {SimAlarm::TargetUnreachable,  kErrorReport,   0x4001, "目标点不可达 (target out of reach)"},
    {SimAlarm::PathSingular,       kErrorReport,   0x4002, "路径经过奇异点 (path passes a singularity)"},
    {SimAlarm::ArcPointsCollinear, kErrorReport,   0x4003, "圆弧三点共线 (the three arc points lie on one line)"},
    {SimAlarm::InvalidCoordinate,  kWarningReport, 0x4004, "坐标系无效 (no such coordinate system)"},
    {SimAlarm::ServoNotReady,      kWarningReport, 0x4005, "伺服未就绪，指令被忽略 (servo not ready, command ignored)"},
    {SimAlarm::MoveQueueFull,      kWarningReport, 0x4006, "运动指令过多，指令被忽略 (too many moves waiting, command ignored)"},
    {SimAlarm::JogLimit,           kWarningReport, 0x4007, "点动到达限位 (jogging reached a limit)"},
    {SimAlarm::ServoFault,         kErrorReport,   0x6010, "伺服报警 (servo alarm)"},
};
// clang-format on

const AlarmEntry& entry(SimAlarm alarm) {
    for (const AlarmEntry& e : kAlarms) {
        if (e.alarm == alarm)
            return e;
    }
    return kAlarms[0];
}

}  // namespace

quint16 alarmWord(SimAlarm alarm) {
    return entry(alarm).word;
}

QByteArray alarmPayload(SimAlarm alarm, int robot) {
    const AlarmEntry& e = entry(alarm);
    Json::Value body(Json::objectValue);
    body["data"] = "机器人" + std::to_string(robot) + ": " + e.text;
    body["type"] = e.code;
    return json::write(body).value_or(QByteArray());
}

}  // namespace kelvo::sim
