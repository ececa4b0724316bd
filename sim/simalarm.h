#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kelvo::sim {

// What the simulated controller complains about, in the alarm reports 0x2B03 (error) and 0x2B04
// (warning). The text of an alarm about a robot begins with the robot's name, "机器人1".
enum class SimAlarm {
    TargetUnreachable,
    PathSingular,
    ArcPointsCollinear,
    InvalidCoordinate,
    ServoNotReady,
    MoveQueueFull,
    JogLimit,
    ServoFault,
};

// The command word of the report that carries the alarm.
quint16 alarmWord(SimAlarm alarm);
// {"data": "机器人<robot>: <text>", "type": <code>}
QByteArray alarmPayload(SimAlarm alarm, int robot);

}  // namespace kelvo::sim
