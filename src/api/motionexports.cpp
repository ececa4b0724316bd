// Moves, positions and the program running state.

#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"

#include "message/commandwords.h"
#include "robot/robot.h"

using kelvo::api::forCurrentRobot;
using kelvo::api::positionArray;
using kelvo::api::currentRobotAnswer;
using kelvo::api::queryInto;
using kelvo::api::usableTargets;
using kelvo::api::withRobot;
namespace cmd = kelvo::cmd;

namespace {

Json::Value moveTo(int vel, int coord) {
    Json::Value payload = forCurrentRobot();
    payload["vel"] = vel;
    payload["coord"] = coord;
    return payload;
}

void moveToPoint(const char* caller, quint16 command, const double* pos, int vel, int coord) {
    withRobot(caller, [=](Robot& robot) {
        if (!usableTargets(caller, {pos}))
            return;
        Json::Value payload = moveTo(vel, coord);
        payload["pos"] = positionArray(pos);
        robot.sendCommand(command, payload);
    });
}

// The arc through p1, p2 and p3, or with fullCircle the whole circle through them.
void moveOnCircle(const char* caller, const double* p1, const double* p2, const double* p3, int vel,
                  int coord, bool fullCircle) {
    withRobot(caller, [=](Robot& robot) {
        if (!usableTargets(caller, {p1, p2, p3}))
            return;
        Json::Value payload = moveTo(vel, coord);
        payload["posOne"] = positionArray(p1);
        payload["posTwo"] = positionArray(p2);
        payload["posThree"] = positionArray(p3);
        payload["isFull"] = fullCircle;
        robot.sendCommand(cmd::kMoveCircular, payload);
    });
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL robot_movj(const double* pos, int vel, int coord) {
    moveToPoint("robot_movj", cmd::kMoveJoint, pos, vel, coord);
}

KELVO_API void KELVO_CALL robot_movl(const double* pos, int vel, int coord) {
    moveToPoint("robot_movl", cmd::kMoveLinear, pos, vel, coord);
}

KELVO_API void KELVO_CALL robot_movc(const double* p1, const double* p2, const double* p3, int vel,
                                     int coord) {
    moveOnCircle("robot_movc", p1, p2, p3, vel, coord, false);
}

KELVO_API void KELVO_CALL robot_movca(const double* p1, const double* p2, const double* p3, int vel,
                                      int coord) {
    moveOnCircle("robot_movca", p1, p2, p3, vel, coord, true);
}

KELVO_API int KELVO_CALL get_robot_running_state(void) {
    return kelvo::api::queryValue(
        "get_robot_running_state", currentRobotAnswer(AnswerKind::RunningState),
        [](Robot& robot) { return robot.queryRunningState(); },
        [](Robot& robot) { return robot.runningState(); });
}

KELVO_API void KELVO_CALL get_current_position(double* out, int coord) {
    queryInto(
        "get_current_position", out, 6, currentRobotAnswer(AnswerKind::Position, coord),
        [coord](Robot& robot) { return robot.queryCurrentPosition(coord); },
        &Robot::copyCurrentPosition);
}

KELVO_API void KELVO_CALL get_current_sync_position(double* out) {
    queryInto(
        "get_current_sync_position", out, 5, currentRobotAnswer(AnswerKind::SyncPosition),
        [](Robot& robot) { return robot.querySyncPosition(); }, &Robot::copySyncPosition);
}

}  // extern "C"
