// Connection, servo power, jogging and the host's log line.

#include "apisession.h"
#include "exportcall.h"

// Hosts in C#, VB or Python pass true as any non-zero byte (VB's True is 0xFF), and reading such a
// byte as a C++ bool is undefined. start_jogging therefore takes the byte itself, which has the
// ABI of a C bool; kelvo.h keeps its bool, and its declaration is renamed out of the way here.
#define start_jogging start_jogging_as_declared
#include "kelvo.h"
#undef start_jogging

#include "robot/hostlog.h"
#include "robot/robot.h"

using kelvo::api::ApiSession;
using kelvo::api::guarded;
using kelvo::api::withRobot;

extern "C" {

KELVO_API bool KELVO_CALL connect_robot(const char* ip) {
    return guarded("connect_robot", false, [ip] {
        return ApiSession::instance().connect(ip ? QString::fromUtf8(ip) : QString());
    });
}

KELVO_API bool KELVO_CALL is_connected(void) {
    return withRobot("is_connected", false, [](Robot& robot) { return robot.connected(); });
}

KELVO_API void KELVO_CALL set_reply_timeout(int ms) {
    guarded("set_reply_timeout", true, [ms] {
        ApiSession::instance().setReplyTimeout(ms);
        return true;
    });
}

// Unsent or unanswered, the servo state is unknown: 0, never the stale cached state.
KELVO_API int KELVO_CALL servo_power_on(void) {
    return withRobot("servo_power_on", 0, [](Robot& robot) {
        const bool answered = ApiSession::instance().awaitReply(robot, "servo_power_on", [&robot] {
            const bool sent = robot.requestServoOn();
            robot.robot_key_slot_saftySwitchProcess(1);
            return sent;
        });
        return answered ? robot.servoOnResult() : 0;
    });
}

KELVO_API void KELVO_CALL servo_power_off(void) {
    withRobot("servo_power_off", [](Robot& robot) { robot.robot_key_slot_saftySwitchProcess(0); });
}

KELVO_API void KELVO_CALL start_jogging(int axis, unsigned char positive) {
    withRobot("start_jogging", [=](Robot& robot) { robot.jogAxis(axis, positive != 0); });
}

KELVO_API void KELVO_CALL stop_jogging(int axis) {
    withRobot("stop_jogging", [axis](Robot& robot) { robot.stopJog(axis); });
}

KELVO_API void KELVO_CALL show_log(const LogText* message) {
    withRobot("show_log", [message](Robot&) {
        if (message && message->text)
            kelvo::writeHostLog(QByteArray(message->text));
    });
}

}  // extern "C"
