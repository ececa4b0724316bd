// Operation mode, jog coordinate system and jog speed.

#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"

#include "message/commandwords.h"
#include "robot/robot.h"

#include <algorithm>

using namespace kelvo::api;
namespace cmd = kelvo::cmd;

namespace {

int setJoggingSpeed(KelvoSession& session, int speed) {
    Json::Value payload = forCurrentRobot(session.robot());
    payload["speed"] = std::clamp(speed, kSlowestJogSpeed, kLastJogSpeedCode);
    return KelvoSession::sent(session.robot().sendCommand(cmd::kSetSpeed, payload));
}

int getJoggingSpeed(KelvoSession& session, int* speed) {
    return askValue(
        session, speed, currentRobotAnswer(session.robot(), AnswerKind::Speed),
        [](Robot& robot) { return robot.sendCommand(cmd::kQuerySpeed, forCurrentRobot(robot)); });
}

int setCurrentMode(KelvoSession& session, int mode) {
    Json::Value payload;
    payload["mode"] = mode;
    return KelvoSession::sent(session.robot().sendCommand(cmd::kSetOperationMode, payload));
}

int getCurrentMode(KelvoSession& session, int* mode) {
    return askValue(session, mode, {AnswerKind::Mode}, [](Robot& robot) {
        return robot.sendCommand(cmd::kQueryOperationMode, QByteArray());
    });
}

int setCurrentCoord(KelvoSession& session, int coord) {
    Json::Value payload = forCurrentRobot(session.robot());
    payload["coord"] = coord;
    return KelvoSession::sent(session.robot().sendCommand(cmd::kSetCoordinationMode, payload));
}

int getCurrentCoord(KelvoSession& session, int* coord) {
    return askValue(
        session, coord, currentRobotAnswer(session.robot(), AnswerKind::Coord), [](Robot& robot) {
            return robot.sendCommand(cmd::kQueryCoordinationMode, forCurrentRobot(robot));
        });
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL set_jogging_speed(int speed) {
    flatRequest("set_jogging_speed", setJoggingSpeed, speed);
}

KELVO_API int KELVO_CALL get_jogging_speed(void) {
    return flatQueryValue("get_jogging_speed", getJoggingSpeed,
                          [](Robot& robot) { return robot.jogSpeed(); });
}

KELVO_API void KELVO_CALL set_current_mode(int mode) {
    flatRequest("set_current_mode", setCurrentMode, mode);
}

KELVO_API int KELVO_CALL get_current_mode(void) {
    return flatQueryValue("get_current_mode", getCurrentMode,
                          [](Robot& robot) { return robot.operationMode(); });
}

KELVO_API void KELVO_CALL set_current_coord(int coord) {
    flatRequest("set_current_coord", setCurrentCoord, coord);
}

KELVO_API int KELVO_CALL get_current_coord(void) {
    return flatQueryValue("get_current_coord", getCurrentCoord,
                          [](Robot& robot) { return static_cast<int>(robot.coordMode()); });
}

KELVO_API int KELVO_CALL kelvo_set_jogging_speed(KelvoSession* session, int speed) {
    if (!knownJogSpeed(speed))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_set_jogging_speed", session, setJoggingSpeed, speed);
}

KELVO_API int KELVO_CALL kelvo_get_jogging_speed(KelvoSession* session, int* speed) {
    return sessionCall("kelvo_get_jogging_speed", session, getJoggingSpeed, speed);
}

KELVO_API int KELVO_CALL kelvo_set_current_mode(KelvoSession* session, int mode) {
    if (!knownMode(mode))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_set_current_mode", session, setCurrentMode, mode);
}

KELVO_API int KELVO_CALL kelvo_get_current_mode(KelvoSession* session, int* mode) {
    return sessionCall("kelvo_get_current_mode", session, getCurrentMode, mode);
}

KELVO_API int KELVO_CALL kelvo_set_current_coord(KelvoSession* session, int coord) {
    if (!knownCoord(coord))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_set_current_coord", session, setCurrentCoord, coord);
}

KELVO_API int KELVO_CALL kelvo_get_current_coord(KelvoSession* session, int* coord) {
    return sessionCall("kelvo_get_current_coord", session, getCurrentCoord, coord);
}

}  // extern "C"
