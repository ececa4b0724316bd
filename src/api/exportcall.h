#pragma once

#include "apisession.h"

#include "robot/robot.h"

#include <algorithm>
#include <exception>
#include <optional>

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

// The body of an export that needs the bound Robot: before connect_robot it returns fallback at
// once and does nothing else.
template <typename Result, typename Body>
Result withRobot(const char* caller, Result fallback, Body body) noexcept {
    return guarded(caller, fallback, [&]() -> Result {
        Robot* const robot = ApiSession::instance().robot();
        return robot ? body(*robot) : fallback;
    });
}

template <typename Body>
void withRobot(const char* caller, Body body) noexcept {
    withRobot(caller, true, [&](Robot& robot) {
        body(robot);
        return true;
    });
}

// The answer to a question about the robot selected now.
inline AnswerTag currentRobotAnswer(AnswerKind kind, int coord = AnswerTag::kAny) {
    return {kind, Robot::currentRobotNumber(), coord};
}

// A query answered into the caller's array: count values of its answer, or the cache as it
// stands when no answer came. A null array makes it do nothing.
template <typename Send>
void queryInto(const char* caller, double* out, int count, const AnswerTag& expected, Send send,
               void (Robot::*copy)(double*) const) {
    withRobot(caller, [&](Robot& robot) {
        if (!out)
            return;
        const std::optional<Answer> answer =
            ApiSession::instance().ask(robot, caller, expected, [&] { return send(robot); });
        if (answer)
            std::copy(answer->values.begin(), answer->values.begin() + count, out);
        else
            (robot.*copy)(out);
    });
}

// What an int query returns before connect_robot: no code of any table.
inline constexpr int kNoValue = -1;

// A query answered by one value: its answer's, or the cache field's when no answer came.
template <typename Send, typename Read>
int queryValue(const char* caller, const AnswerTag& expected, Send send, Read read) {
    return withRobot(caller, kNoValue, [&](Robot& robot) {
        const std::optional<Answer> answer =
            ApiSession::instance().ask(robot, caller, expected, [&] { return send(robot); });
        return answer ? answer->value : read(robot);
    });
}

}  // namespace kelvo::api
