// Moves, positions and the program running state.

#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"

#include "message/commandwords.h"
#include "robot/robot.h"

using namespace kelvo::api;
namespace cmd = kelvo::cmd;

namespace {

constexpr int kPositionValues = 6;
constexpr int kSyncAxes = 5;

Json::Value moveTo(const Robot& robot, int vel, int coord) {
    Json::Value payload = forCurrentRobot(robot);
    payload["vel"] = vel;
    payload["coord"] = coord;
    return payload;
}

int moveToPoint(KelvoSession& session, quint16 command, const double* pos, int vel, int coord,
                const char* caller) {
    if (!usableTargets(caller, {pos}))
        return KELVO_ERR_INVALID;
    Json::Value payload = moveTo(session.robot(), vel, coord);
    payload["pos"] = positionArray(pos);
    return KelvoSession::sent(session.robot().sendCommand(command, payload));
}

// The arc through p1, p2 and p3, or with fullCircle the whole circle through them.
int moveOnCircle(KelvoSession& session, const double* p1, const double* p2, const double* p3,
                 int vel, int coord, bool fullCircle, const char* caller) {
    if (!usableTargets(caller, {p1, p2, p3}))
        return KELVO_ERR_INVALID;
    Json::Value payload = moveTo(session.robot(), vel, coord);
    payload["posOne"] = positionArray(p1);
    payload["posTwo"] = positionArray(p2);
    payload["posThree"] = positionArray(p3);
    payload["isFull"] = fullCircle;
    return KelvoSession::sent(session.robot().sendCommand(cmd::kMoveCircular, payload));
}

int getRunningState(KelvoSession& session, int* state) {
    return askValue(session, state, currentRobotAnswer(session.robot(), AnswerKind::RunningState),
                    [](Robot& robot) { return robot.queryRunningState(); });
}

int getCurrentPosition(KelvoSession& session, double* out, int coord) {
    return askInto(session, out, kPositionValues,
                   currentRobotAnswer(session.robot(), AnswerKind::Position, coord),
                   [coord](Robot& robot) { return robot.queryCurrentPosition(coord); });
}

int getCurrentSyncPosition(KelvoSession& session, double* out) {
    return askInto(session, out, kSyncAxes,
                   currentRobotAnswer(session.robot(), AnswerKind::SyncPosition),
                   [](Robot& robot) { return robot.querySyncPosition(); });
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL robot_movj(const double* pos, int vel, int coord) {
    flatRequest("robot_movj", moveToPoint, cmd::kMoveJoint, pos, vel, coord, "robot_movj");
}

KELVO_API void KELVO_CALL robot_movl(const double* pos, int vel, int coord) {
    flatRequest("robot_movl", moveToPoint, cmd::kMoveLinear, pos, vel, coord, "robot_movl");
}

KELVO_API void KELVO_CALL robot_movc(const double* p1, const double* p2, const double* p3, int vel,
                                     int coord) {
    flatRequest("robot_movc", moveOnCircle, p1, p2, p3, vel, coord, false, "robot_movc");
}

KELVO_API void KELVO_CALL robot_movca(const double* p1, const double* p2, const double* p3, int vel,
                                      int coord) {
    flatRequest("robot_movca", moveOnCircle, p1, p2, p3, vel, coord, true, "robot_movca");
}

KELVO_API int KELVO_CALL get_robot_running_state(void) {
    return flatQueryValue("get_robot_running_state", getRunningState,
                          [](Robot& robot) { return robot.runningState(); });
}

KELVO_API void KELVO_CALL get_current_position(double* out, int coord) {
    flatQueryInto(
        "get_current_position", out,
        [coord](KelvoSession& s, double* values) { return getCurrentPosition(s, values, coord); },
        &Robot::copyCurrentPosition);
}

KELVO_API void KELVO_CALL get_current_sync_position(double* out) {
    flatQueryInto("get_current_sync_position", out, getCurrentSyncPosition,
                  &Robot::copySyncPosition);
}

KELVO_API int KELVO_CALL kelvo_robot_movj(KelvoSession* session, const double* pos, int vel,
                                          int coord) {
    if (!knownCoord(coord))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_robot_movj", session, moveToPoint, cmd::kMoveJoint, pos, vel, coord,
                       "kelvo_robot_movj");
}

KELVO_API int KELVO_CALL kelvo_robot_movl(KelvoSession* session, const double* pos, int vel,
                                          int coord) {
    if (!knownCoord(coord))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_robot_movl", session, moveToPoint, cmd::kMoveLinear, pos, vel, coord,
                       "kelvo_robot_movl");
}

KELVO_API int KELVO_CALL kelvo_robot_movc(KelvoSession* session, const double* p1, const double* p2,
                                          const double* p3, int vel, int coord) {
    if (!knownCoord(coord))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_robot_movc", session, moveOnCircle, p1, p2, p3, vel, coord, false,
                       "kelvo_robot_movc");
}

KELVO_API int KELVO_CALL kelvo_robot_movca(KelvoSession* session, const double* p1,
                                           const double* p2, const double* p3, int vel, int coord) {
    if (!knownCoord(coord))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_robot_movca", session, moveOnCircle, p1, p2, p3, vel, coord, true,
                       "kelvo_robot_movca");
}

KELVO_API int KELVO_CALL kelvo_get_robot_running_state(KelvoSession* session, int* state) {
    return sessionCall("kelvo_get_robot_running_state", session, getRunningState, state);
}

KELVO_API int KELVO_CALL kelvo_get_current_position(KelvoSession* session, double* out, int coord) {
    if (!knownCoord(coord))
        return KELVO_ERR_INVALID;
    return sessionCall("kelvo_get_current_position", session, getCurrentPosition, out, coord);
}

KELVO_API int KELVO_CALL kelvo_get_current_sync_position(KelvoSession* session, double* out) {
    return sessionCall("kelvo_get_current_sync_position", session, getCurrentSyncPosition, out);
}

}  // extern "C"
