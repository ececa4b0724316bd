// Digital and analog I/O.

#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"

#include "message/commandwords.h"
#include "robot/robot.h"

using kelvo::api::queryInto;
using kelvo::api::withRobot;
namespace cmd = kelvo::cmd;

extern "C" {

KELVO_API void KELVO_CALL set_dout(int port, int status) {
    withRobot("set_dout", [=](Robot& robot) {
        Json::Value payload;
        payload["port"] = port;
        payload["status"] = status;
        robot.sendCommand(cmd::kSetDout, payload);
    });
}

KELVO_API void KELVO_CALL set_aout(int port, double value) {
    withRobot("set_aout", [=](Robot& robot) {
        if (!kelvo::api::usableValue("set_aout", value))
            return;
        Json::Value payload;
        payload["port"] = port;
        payload["value"] = value;
        robot.sendCommand(cmd::kSetAout, payload);
    });
}

KELVO_API void KELVO_CALL get_dout(double* out) {
    queryInto(
        "get_dout", out, 16, {AnswerKind::Dout}, [](Robot& robot) { return robot.queryDout(); },
        &Robot::copyDout);
}

KELVO_API void KELVO_CALL get_din(double* out) {
    queryInto(
        "get_din", out, 16, {AnswerKind::Din}, [](Robot& robot) { return robot.queryDin(); },
        &Robot::copyDin);
}

KELVO_API void KELVO_CALL get_aout(double* out) {
    queryInto(
        "get_aout", out, 16, {AnswerKind::Aout}, [](Robot& robot) { return robot.queryAout(); },
        &Robot::copyAout);
}

KELVO_API void KELVO_CALL get_ain(double* out) {
    queryInto(
        "get_ain", out, 16, {AnswerKind::Ain}, [](Robot& robot) { return robot.queryAin(); },
        &Robot::copyAin);
}

}  // extern "C"
