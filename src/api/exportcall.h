#pragma once

#include "apisession.h"

#include <exception>

class Robot;

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

// A query answered into the caller's array by copy; a null array makes it do nothing.
template <typename Send>
void queryInto(const char* caller, double* out, Send send, void (Robot::*copy)(double*) const) {
    withRobot(caller, [&](Robot& robot) {
        if (!out)
            return;
        ApiSession::instance().awaitReply(robot, caller, [&] { return send(robot); });
        (robot.*copy)(out);
    });
}

// What an int query returns before connect_robot: no code of any table.
inline constexpr int kNoValue = -1;

// A query answered by one cache field.
template <typename Send, typename Read>
int queryValue(const char* caller, Send send, Read read) {
    return withRobot(caller, kNoValue, [&](Robot& robot) {
        ApiSession::instance().awaitReply(robot, caller, [&] { return send(robot); });
        return read(robot);
    });
}

}  // namespace kelvo::api
