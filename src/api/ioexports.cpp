// Digital and analog I/O.

#include "exportcall.h"
#include "kelvo.h"
#include "payloads.h"

#include "message/commandwords.h"
#include "robot/robot.h"

using namespace kelvo::api;
namespace cmd = kelvo::cmd;

namespace {

constexpr int kIoPoints = 16;

int setDout(KelvoSession& session, int port, int status) {
    Json::Value payload;
    payload["port"] = port;
    payload["status"] = status;
    return KelvoSession::sent(session.robot().sendCommand(cmd::kSetDout, payload));
}

int setAout(KelvoSession& session, int port, double value, const char* caller) {
    if (!usableValue(caller, value))
        return KELVO_ERR_INVALID;
    Json::Value payload;
    payload["port"] = port;
    payload["value"] = value;
    return KelvoSession::sent(session.robot().sendCommand(cmd::kSetAout, payload));
}

// The four I/O queries, by the query each sends and the kind of report that answers it.
struct IoQuery {
    bool (Robot::*send)();
    AnswerKind answer;
    void (Robot::*copy)(double*) const;
};
constexpr IoQuery kDout{&Robot::queryDout, AnswerKind::Dout, &Robot::copyDout};
constexpr IoQuery kDin{&Robot::queryDin, AnswerKind::Din, &Robot::copyDin};
constexpr IoQuery kAout{&Robot::queryAout, AnswerKind::Aout, &Robot::copyAout};
constexpr IoQuery kAin{&Robot::queryAin, AnswerKind::Ain, &Robot::copyAin};

int getIo(const IoQuery& query, KelvoSession& session, double* out) {
    return askInto(session, out, kIoPoints, {query.answer},
                   [&query](Robot& robot) { return (robot.*query.send)(); });
}

void flatGetIo(const char* caller, const IoQuery& query, double* out) {
    flatQueryInto(
        caller, out,
        [&query](KelvoSession& session, double* values) { return getIo(query, session, values); },
        query.copy);
}

int sessionGetIo(const char* caller, const IoQuery& query, KelvoSession* session, double* out) {
    return sessionCall(caller, session,
                       [&](KelvoSession& s) { return getIo(query, s, out); });
}

}  // namespace

extern "C" {

KELVO_API void KELVO_CALL set_dout(int port, int status) {
    flatRequest("set_dout", setDout, port, status);
}

KELVO_API void KELVO_CALL set_aout(int port, double value) {
    flatRequest("set_aout", setAout, port, value, "set_aout");
}

KELVO_API void KELVO_CALL get_dout(double* out) {
    flatGetIo("get_dout", kDout, out);
}

KELVO_API void KELVO_CALL get_din(double* out) {
    flatGetIo("get_din", kDin, out);
}

KELVO_API void KELVO_CALL get_aout(double* out) {
    flatGetIo("get_aout", kAout, out);
}

KELVO_API void KELVO_CALL get_ain(double* out) {
    flatGetIo("get_ain", kAin, out);
}

KELVO_API int KELVO_CALL kelvo_set_dout(KelvoSession* session, int port, int status) {
    return sessionCall("kelvo_set_dout", session, setDout, port, status);
}

KELVO_API int KELVO_CALL kelvo_set_aout(KelvoSession* session, int port, double value) {
    return sessionCall("kelvo_set_aout", session, setAout, port, value, "kelvo_set_aout");
}

KELVO_API int KELVO_CALL kelvo_get_dout(KelvoSession* session, double* out) {
    return sessionGetIo("kelvo_get_dout", kDout, session, out);
}

KELVO_API int KELVO_CALL kelvo_get_din(KelvoSession* session, double* out) {
    return sessionGetIo("kelvo_get_din", kDin, session, out);
}

KELVO_API int KELVO_CALL kelvo_get_aout(KelvoSession* session, double* out) {
    return sessionGetIo("kelvo_get_aout", kAout, session, out);
}

KELVO_API int KELVO_CALL kelvo_get_ain(KelvoSession* session, double* out) {
    return sessionGetIo("kelvo_get_ain", kAin, session, out);
}

}  // extern "C"
