// Operation mode, jog coordinate system and jog speed.

#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"

#include "message/commandwords.h"
#include "robot/robot.h"

#include <algorithm>

using kelvo::api::forCurrentRobot;
using kelvo::api::currentRobotAnswer;
using kelvo::api::queryValue;
using kelvo::api::withRobot;
namespace cmd = kelvo::cmd;

namespace {

constexpr int kSlowestJogSpeed = 0;
constexpr int kLastJogSpeedCode = 103;  // 101 to 103: the inching steps

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL set_jogging_speed(int speed) {
    withRobot("set_jogging_speed", [speed](Robot& robot) {
        Json::Value payload = forCurrentRobot();
        payload["speed"] = std::clamp(speed, kSlowestJogSpeed, kLastJogSpeedCode);
        robot.sendCommand(cmd::kSetSpeed, payload);
    });
}

KELVO_API int KELVO_CALL get_jogging_speed(void) {
    return queryValue(
        "get_jogging_speed", currentRobotAnswer(AnswerKind::Speed),
        [](Robot& robot) { return robot.sendCommand(cmd::kQuerySpeed, forCurrentRobot()); },
        [](Robot& robot) { return robot.jogSpeed(); });
}

KELVO_API void KELVO_CALL set_current_mode(int mode) {
    withRobot("set_current_mode", [mode](Robot& robot) {
        Json::Value payload;
        payload["mode"] = mode;
        robot.sendCommand(cmd::kSetOperationMode, payload);
    });
}

KELVO_API int KELVO_CALL get_current_mode(void) {
    return queryValue(
        "get_current_mode", AnswerTag{AnswerKind::Mode},
        [](Robot& robot) { return robot.sendCommand(cmd::kQueryOperationMode, QByteArray()); },
        [](Robot& robot) { return robot.operationMode(); });
}

KELVO_API void KELVO_CALL set_current_coord(int coord) {
    withRobot("set_current_coord", [coord](Robot& robot) {
        Json::Value payload = forCurrentRobot();
        payload["coord"] = coord;
        robot.sendCommand(cmd::kSetCoordinationMode, payload);
    });
}

KELVO_API int KELVO_CALL get_current_coord(void) {
    return queryValue(
        "get_current_coord", currentRobotAnswer(AnswerKind::Coord),
        [](Robot& robot) {
            return robot.sendCommand(cmd::kQueryCoordinationMode, forCurrentRobot());
        },
        [](Robot& robot) { return static_cast<int>(robot.coordMode()); });
}

}  // extern "C"
