// Events by push and by pull, and the library's log routed to the host.

#include "exportcall.h"
#include "kelvo.h"
#include "loghandler.h"

#include <unordered_map>

using namespace kelvo::api;

namespace {

int setEventHandler(KelvoSession& session, KelvoEventHandler handler, void* user) {
    return session.events().setHandler(handler, user);
}

// What a pulled event's values and text point into, per thread and session, until that thread's
// next pull on that session.
RobotEvent& pulledEvent(const KelvoSession& session) {
    thread_local std::unordered_map<const KelvoSession*, RobotEvent> pulled;
    return pulled[&session];
}

// The same for the last alarm: valid until the thread's next look at it on that session.
RobotEvent& alarmSeen(const KelvoSession& session) {
    thread_local std::unordered_map<const KelvoSession*, RobotEvent> seen;
    return seen[&session];
}

int lastAlarm(KelvoSession& session, KelvoEvent* event) {
    if (!event)
        return KELVO_ERR_INVALID;
    RobotEvent& kept = alarmSeen(session);
    *event = session.lastAlarm(&kept) ? SessionEvents::toC(kept) : KelvoEvent{};
    return KELVO_OK;
}

int nextEvent(KelvoSession& session, KelvoEvent* event, int timeoutMs) {
    if (!event)
        return KELVO_ERR_INVALID;
    RobotEvent& kept = pulledEvent(session);
    const int status = session.events().next(timeoutMs, &kept);
    if (status == KELVO_OK)
        *event = SessionEvents::toC(kept);
    return status;
}

}  // namespace

extern "C" {

KELVO_API int KELVO_CALL kelvo_set_event_handler(KelvoSession* session, KelvoEventHandler handler,
                                                 void* user) {
    return sessionCall("kelvo_set_event_handler", session, setEventHandler, handler, user);
}

KELVO_API int KELVO_CALL kelvo_next_event(KelvoSession* session, KelvoEvent* event,
                                          int timeout_ms) {
    return sessionCall("kelvo_next_event", session, nextEvent, event, timeout_ms);
}

KELVO_API int KELVO_CALL kelvo_last_alarm(KelvoSession* session, KelvoEvent* event) {
    return sessionCall("kelvo_last_alarm", session, lastAlarm, event);
}

KELVO_API int KELVO_CALL kelvo_set_log_handler(KelvoLogHandler handler, void* user, int min_level) {
    return guarded("kelvo_set_log_handler", KELVO_ERR_INVALID, [=] {
        if (min_level < KELVO_LOG_DEBUG || min_level > KELVO_LOG_ERROR)
            return KELVO_ERR_INVALID;
        setLogHandler(handler, user, min_level);
        return KELVO_OK;
    });
}

}  // extern "C"
