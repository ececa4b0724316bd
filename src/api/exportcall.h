#pragma once

// What every export shares. Each operation is written once, over a session, returning a status;
// the flat export runs it on the default session and keeps the flat call's behaviour (a query
// that gets no answer returns the cache), the kelvo_ export runs it on the caller's session and
// returns the status.

#include "apisession.h"
#include "kelvo.h"
#include "loghandler.h"
#include "session.h"

#include "robot/robot.h"

#include <algorithm>
#include <exception>

namespace kelvo::api {

// Logs an exception that an export caught; what may be null. Never throws.
void reportEscapedException(const char* caller, const char* what) noexcept;

// The body of an export: whatever it throws is logged and the export returns fallback, so no
// exception reaches the host.
template <typename Result, typename Body>
Result guarded(const char* caller, Result fallback, Body body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        reportEscapedException(caller, e.what());
    } catch (...) {
        reportEscapedException(caller, nullptr);
    }
    return fallback;
}

// ---- The flat face: the default session ----

// Before connect_robot, and from inside a log handler, it returns fallback at once and does
// nothing else.
template <typename Result, typename Body>
Result withSession(const char* caller, Result fallback, Body body) noexcept {
    return guarded(caller, fallback, [&]() -> Result {
        KelvoSession* const session = ApiSession::instance().session();
        return session && !inLogHandler() ? body(*session) : fallback;
    });
}

template <typename Body>
void withSession(const char* caller, Body body) noexcept {
    withSession(caller, true, [&](KelvoSession& session) {
        body(session);
        return true;
    });
}

// A flat request, operation(session, args...): its status is not reported.
template <typename Operation, typename... Args>
void flatRequest(const char* caller, Operation operation, Args... args) noexcept {
    withSession(caller, [&](KelvoSession& session) { operation(session, args...); });
}

// Logs once why a flat query returns the cache.
void logCachedAnswer(const char* caller, int status, const KelvoSession& session);

// ---- The kelvo_ face: the caller's session ----

// operation(session, args...) and its status; KELVO_ERR_BUSY from inside a log handler.
template <typename Operation, typename... Args>
int sessionCall(const char* caller, KelvoSession* session, Operation operation,
                Args... args) noexcept {
    if (!session)
        return KELVO_ERR_INVALID;
    if (inLogHandler())
        return KELVO_ERR_BUSY;
    return guarded(caller, KELVO_ERR_INVALID, [&] {
        const KelvoSession::Call call(*session);
        return call ? operation(*session, args...) : KELVO_ERR_CLOSED;
    });
}

// The codes kelvo.h defines. A session call refuses any other with KELVO_ERR_INVALID; the flat
// calls send what they are given, as they always have.
inline bool knownCoord(int coord) {
    return coord >= 0 && coord <= 3;
}
inline bool knownMode(int mode) {
    return mode >= 0 && mode <= 2;
}
inline constexpr int kSlowestJogSpeed = 0;
inline constexpr int kLastJogSpeedCode = 103;  // 101 to 103: the inching steps
inline bool knownJogSpeed(int speed) {
    return speed >= kSlowestJogSpeed && speed <= kLastJogSpeedCode;
}

// ---- Operations ----

// The answer to a question about the robot selected now.
inline AnswerTag currentRobotAnswer(const Robot& robot, AnswerKind kind,
                                    int coord = AnswerTag::kAny) {
    return {kind, robot.currentRobotNumber(), coord};
}

// Asks, then copies count values of the answer into out; out is untouched unless KELVO_OK.
template <typename Send>
int askInto(KelvoSession& session, double* out, int count, const AnswerTag& expected, Send send) {
    if (!out)
        return KELVO_ERR_INVALID;
    Answer answer;
    const int status = session.ask(
        expected, [&] { return send(session.robot()); }, &answer);
    if (status == KELVO_OK)
        std::copy_n(answer.values.begin(), count, out);
    return status;
}

// Asks, then writes the answer's value to value; untouched unless KELVO_OK.
template <typename Send>
int askValue(KelvoSession& session, int* value, const AnswerTag& expected, Send send) {
    if (!value)
        return KELVO_ERR_INVALID;
    Answer answer;
    const int status = session.ask(
        expected, [&] { return send(session.robot()); }, &answer);
    if (status == KELVO_OK)
        *value = answer.value;
    return status;
}

// ---- Flat queries ----

// What an int query returns before connect_robot: no code of any table.
inline constexpr int kNoValue = -1;

// A flat array query: its answer, or the cache as it stands when no answer came. A null array
// makes it do nothing.
template <typename Ask>
void flatQueryInto(const char* caller, double* out, Ask ask, void (Robot::*copy)(double*) const) {
    withSession(caller, [&](KelvoSession& session) {
        if (!out)
            return;
        const KelvoSession::FlatQuestions flat;
        const int status = ask(session, out);
        if (status != KELVO_OK) {
            logCachedAnswer(caller, status, session);
            (session.robot().*copy)(out);
        }
    });
}

// A flat value query: its answer, or the cache field when no answer came.
template <typename Ask, typename Read>
int flatQueryValue(const char* caller, Ask ask, Read read) {
    return withSession(caller, kNoValue, [&](KelvoSession& session) {
        int value = 0;
        const KelvoSession::FlatQuestions flat;
        const int status = ask(session, &value);
        if (status == KELVO_OK)
            return value;
        logCachedAnswer(caller, status, session);
        return read(session.robot());
    });
}

}  // namespace kelvo::api
