#pragma once

#include <QtGlobal>

// Every command word the library sends on the control connection. The words it understands on
// receipt are the dispatch table of TcpConnectModule; the heartbeat words belong to the link.
namespace kelvo::cmd {

// 0x20 servo power
inline constexpr quint16 kSetServoStatus = 0x2001;
inline constexpr quint16 kQueryServoStatus = 0x2002;
// 0x21 operation mode and teach type
inline constexpr quint16 kSetOperationMode = 0x2101;
inline constexpr quint16 kQueryOperationMode = 0x2102;
inline constexpr quint16 kQueryTeachModeType = 0x2105;
// 0x22 jog coordinate system
inline constexpr quint16 kSetCoordinationMode = 0x2201;
inline constexpr quint16 kQueryCoordinationMode = 0x2202;
// 0x23 deadman switch
inline constexpr quint16 kSetDeadman = 0x2301;
// 0x24, 0x25 job stop and start
inline constexpr quint16 kStopJob = 0x2401;
inline constexpr quint16 kRunJob = 0x2501;
// 0x26 jog speed
inline constexpr quint16 kSetSpeed = 0x2601;
inline constexpr quint16 kQuerySpeed = 0x2602;
// 0x29 jogging
inline constexpr quint16 kStartJog = 0x2901;
inline constexpr quint16 kStopJog = 0x2902;
// 0x2A position
inline constexpr quint16 kQueryPosition = 0x2A02;
// 0x2B alarms (raw four-byte payload)
inline constexpr quint16 kClearError = 0x2B01;
// 0x2F current position
inline constexpr quint16 kQueryCurrentPosition = 0x2F07;
// 0x32 clearing all alarms
inline constexpr quint16 kClearAllErrors = 0x3201;
// 0x35 job file synchronisation: a robot whose jobs need no upload
inline constexpr quint16 kAnnounceSyncedRobot = 0x3503;
// 0x36 digital and analog I/O
inline constexpr quint16 kSetDout = 0x3601;
inline constexpr quint16 kQueryDout = 0x3602;
inline constexpr quint16 kQueryDin = 0x3605;
inline constexpr quint16 kSetAout = 0x3607;
inline constexpr quint16 kQueryAout = 0x3608;
inline constexpr quint16 kQueryAin = 0x360A;
// 0x38 tool
inline constexpr quint16 kQuerySelectedTool = 0x380B;
// 0x3C user coordinate system in use
inline constexpr quint16 kQueryCurrentUserCoords = 0x3C0B;
// 0x3D program run status
inline constexpr quint16 kQueryRunStatus = 0x3D02;
// 0x45 motion
inline constexpr quint16 kMoveJoint = 0x4501;
inline constexpr quint16 kMoveLinear = 0x4502;
inline constexpr quint16 kMoveCircular = 0x4503;
// 0x50 continuous motion
inline constexpr quint16 kContinuousMotionMode = 0x50B1;
inline constexpr quint16 kContinuousMotionQueue = 0x50B4;
// 0x55 job file synchronisation: ask for the job summary and lists
inline constexpr quint16 kQueryJobLists = 0x5532;
// 0x70 external axes
inline constexpr quint16 kQuerySyncPosition = 0x7012;

}  // namespace kelvo::cmd
