// Connection, sessions, servo power, jogging, alarms and the host's log line.

// Hosts in C#, VB or Python pass true as any non-zero byte (VB's True is 0xFF), and reading such a
// byte as a C++ bool is undefined. start_jogging therefore takes the byte itself, which has the
// ABI of a C bool; kelvo.h keeps its bool, and its declaration is renamed out of the way here.
#define start_jogging start_jogging_as_declared
#include "kelvo.h"  // first, so that every later inclusion is the renamed one
#undef start_jogging

#include "apisession.h"
#include "exportcall.h"

#include "robot/hostlog.h"
#include "robot/robot.h"

#include <QHostAddress>

using namespace kelvo::api;

namespace {

constexpr int kControlPort = 6000;
constexpr int kDefaultOpenTimeoutMs = 5000;

int isConnected(KelvoSession& session, int* connected) {
    if (!connected)
        return KELVO_ERR_INVALID;
    *connected = session.robot().connected() ? 1 : 0;
    return KELVO_OK;
}

int setReplyTimeout(KelvoSession& session, int ms) {
    if (ms < 0)
        return KELVO_ERR_INVALID;
    session.setReplyTimeout(ms);
    return KELVO_OK;
}

// The servo status the controller answers with. The enabling switch follows an answer of 1 in
// teach mode: decided on the answer, not on a cached status an earlier read left behind.
int servoPowerOn(KelvoSession& session, int* status) {
    Robot& robot = session.robot();
    const int result = askValue(session, status, currentRobotAnswer(robot, AnswerKind::Servo),
                                [](Robot& r) { return r.requestServoOn(); });
    if (result == KELVO_OK && *status == 1)
        robot.pressEnablingSwitch();
    return result;
}

int setFences(KelvoSession& session, int on) {
    if (on != 0 && on != 1)
        return KELVO_ERR_INVALID;
    session.robot().setFences(on == 1);
    return KELVO_OK;
}

int servoPowerOff(KelvoSession& session) {
    return session.robot().robot_key_slot_saftySwitchProcess(0) ? KELVO_OK : KELVO_ERR_REFUSED;
}

int startJogging(KelvoSession& session, int axis, bool positive) {
    Robot& robot = session.robot();
    if (!robot.connected())
        return KELVO_ERR_NOT_CONNECTED;
    return robot.jogAxis(axis, positive) ? KELVO_OK : KELVO_ERR_REFUSED;
}

int stopJogging(KelvoSession& session, int axis) {
    return KelvoSession::sent(session.robot().stopJog(axis));
}

int getServoStatus(KelvoSession& session, int* status) {
    return askValue(session, status, currentRobotAnswer(session.robot(), AnswerKind::Servo),
                    [](Robot& robot) { return robot.queryServoStatus(); });
}

int getTool(KelvoSession& session, int* tool) {
    return askValue(session, tool, currentRobotAnswer(session.robot(), AnswerKind::Tool),
                    [](Robot& robot) { return robot.querySelectedTool(); });
}

int clearAlarm(KelvoSession& session, int code) {
    return KelvoSession::sent(session.robot().clearAlarm(static_cast<quint32>(code)));
}

int clearAllAlarms(KelvoSession& session) {
    return KelvoSession::sent(session.robot().clearAllAlarms());
}

bool validPort(int port) {
    return port >= 0 && port <= 65535;
}

}  // namespace

extern "C" {

KELVO_API bool KELVO_CALL connect_robot(const char* ip) {
    return guarded("connect_robot", false, [ip] {
        return ApiSession::instance().connect(ip ? QString::fromUtf8(ip) : QString());
    });
}

KELVO_API bool KELVO_CALL is_connected(void) {
    return withSession("is_connected", false,
                       [](KelvoSession& s) { return s.robot().connected(); });
}

KELVO_API void KELVO_CALL set_reply_timeout(int ms) {
    guarded("set_reply_timeout", true, [ms] {
        ApiSession::instance().setDefaultReplyTimeout(ms);
        return true;
    });
}

// Unsent or unanswered, the servo state is unknown: 0, never the stale cached state.
KELVO_API int KELVO_CALL servo_power_on(void) {
    return withSession("servo_power_on", 0, [](KelvoSession& s) {
        int status = 0;
        const int result = servoPowerOn(s, &status);
        return result == KELVO_OK ? s.robot().servoOnResult(status) : 0;
    });
}

KELVO_API void KELVO_CALL servo_power_off(void) {
    flatRequest("servo_power_off", servoPowerOff);
}

KELVO_API void KELVO_CALL start_jogging(int axis, unsigned char positive) {
    flatRequest("start_jogging", startJogging, axis, positive != 0);
}

KELVO_API void KELVO_CALL stop_jogging(int axis) {
    flatRequest("stop_jogging", stopJogging, axis);
}

KELVO_API void KELVO_CALL show_log(const LogText* message) {
    withSession("show_log", [message](KelvoSession&) {
        if (message && message->text)
            kelvo::writeHostLog(QByteArray(message->text));
    });
}

KELVO_API const char* KELVO_CALL kelvo_version(void) {
    return KELVO_VERSION_STRING;
}

KELVO_API const char* KELVO_CALL kelvo_strerror(int code) {
    switch (code) {
        case KELVO_OK:
            return "no error";
        case KELVO_ERR_INVALID:
            return "invalid argument";
        case KELVO_ERR_NOT_CONNECTED:
            return "not connected to the controller";
        case KELVO_ERR_TIMEOUT:
            return "no answer from the controller in time";
        case KELVO_ERR_REFUSED:
            return "refused in the current state";
        case KELVO_ERR_BUSY:
            return "busy";
        case KELVO_ERR_TOO_LARGE:
            return "too large for one frame";
        case KELVO_ERR_CLOSED:
            return "session closed";
        case KELVO_ERR_IO:
            return "job file or folder could not be read or written";
        default:
            return "unknown error";
    }
}

KELVO_API KelvoSession* KELVO_CALL kelvo_open(const char* ip, int port, int timeout_ms,
                                              int* error) {
    int status = KELVO_OK;
    KelvoSession* const session = guarded("kelvo_open", static_cast<KelvoSession*>(nullptr), [&] {
        const QString address = ip ? QString::fromUtf8(ip) : QString();
        if (QHostAddress(address).isNull() || !validPort(port)) {
            status = KELVO_ERR_INVALID;
            return static_cast<KelvoSession*>(nullptr);
        }
        status = KELVO_ERR_NOT_CONNECTED;
        return ApiSession::instance().open(address, port == 0 ? kControlPort : port,
                                           timeout_ms <= 0 ? kDefaultOpenTimeoutMs : timeout_ms,
                                           &status);
    });
    if (!session && error)
        *error = status;
    return session;
}

KELVO_API void KELVO_CALL kelvo_close(KelvoSession* session) {
    guarded("kelvo_close", true, [session] {
        ApiSession& api = ApiSession::instance();
        // A log handler may run in the very thread the close would have to join.
        if (inLogHandler())
            return true;
        // From inside the event handler the close waits until the handler has returned.
        if (session && api.isOpen(session) && session->events().inDelivery()) {
            session->closeAfterDelivery();
        } else {
            api.close(session);
        }
        return true;
    });
}

KELVO_API KelvoSession* KELVO_CALL kelvo_default_session(void) {
    return ApiSession::instance().session();
}

KELVO_API int KELVO_CALL kelvo_is_connected(KelvoSession* session, int* connected) {
    return sessionCall("kelvo_is_connected", session, isConnected, connected);
}

KELVO_API int KELVO_CALL kelvo_set_reply_timeout(KelvoSession* session, int ms) {
    return sessionCall("kelvo_set_reply_timeout", session, setReplyTimeout, ms);
}

KELVO_API int KELVO_CALL kelvo_set_fences(KelvoSession* session, int on) {
    return sessionCall("kelvo_set_fences", session, setFences, on);
}

KELVO_API int KELVO_CALL kelvo_servo_power_on(KelvoSession* session, int* status) {
    return sessionCall("kelvo_servo_power_on", session, servoPowerOn, status);
}

KELVO_API int KELVO_CALL kelvo_servo_power_off(KelvoSession* session) {
    return sessionCall("kelvo_servo_power_off", session, servoPowerOff);
}

KELVO_API int KELVO_CALL kelvo_start_jogging(KelvoSession* session, int axis, int positive) {
    return sessionCall("kelvo_start_jogging", session, startJogging, axis, positive != 0);
}

KELVO_API int KELVO_CALL kelvo_stop_jogging(KelvoSession* session, int axis) {
    return sessionCall("kelvo_stop_jogging", session, stopJogging, axis);
}

KELVO_API int KELVO_CALL kelvo_get_servo_status(KelvoSession* session, int* status) {
    return sessionCall("kelvo_get_servo_status", session, getServoStatus, status);
}

KELVO_API int KELVO_CALL kelvo_clear_alarm(KelvoSession* session, int code) {
    return sessionCall("kelvo_clear_alarm", session, clearAlarm, code);
}

KELVO_API int KELVO_CALL kelvo_clear_all_alarms(KelvoSession* session) {
    return sessionCall("kelvo_clear_all_alarms", session, clearAllAlarms);
}

KELVO_API int KELVO_CALL kelvo_stop_move(KelvoSession* session, int axis) {
    return sessionCall("kelvo_stop_move", session, stopJogging, axis);
}

KELVO_API int KELVO_CALL kelvo_get_tool(KelvoSession* session, int* tool) {
    return sessionCall("kelvo_get_tool", session, getTool, tool);
}

}  // extern "C"
