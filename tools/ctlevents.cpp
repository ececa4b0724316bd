#include "ctlevents.h"

#include "ctltext.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kelvoctl {

namespace {

// How long one pull waits: the longest a SIGINT or the end of watch goes unnoticed.
constexpr int kPullMs = 100;
constexpr int kLongestWatchSeconds = INT_MAX / 1000;

const char* const kIoNames[] = {"dout", "din", "aout", "ain"};
const char* const kAlarmNames[] = {"error", "warning", "info"};
const char* const kTransferNames[] = {"started", "progress", "finished", "failed"};

template <size_t N>
std::string nameOf(const char* const (&names)[N], int code) {
    return code >= 0 && static_cast<size_t>(code) < N ? names[code] : std::to_string(code);
}

std::string localTime(double secondsSinceEpoch) {
    const double whole = std::floor(secondsSinceEpoch);
    const std::time_t seconds = static_cast<std::time_t>(whole);
    const int ms = static_cast<int>((secondsSinceEpoch - whole) * 1000.0) % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, ms);
    return text;
}

// I/O values in groups of eight; the groups of zeros at the end (most of 128 ports) counted.
std::string ioValues(const KelvoEvent& event) {
    int shown = event.count;
    while (shown > 0 && event.values[shown - 1] == 0)
        --shown;
    shown = std::min(event.count, (shown + 7) / 8 * 8);
    std::string text;
    for (int i = 0; i < shown; ++i)
        text += (i == 0 ? "" : i % 8 == 0 ? "   " : " ") + formatIoValue(event.values[i]);
    if (shown < event.count)
        text += (shown ? "   " : "") + std::string("(") + std::to_string(event.count - shown) +
                " more, all 0)";
    return text;
}

std::string bytes(const KelvoEvent& event) {
    if (event.count < 2)
        return "";
    return " " + formatNumber(event.values[0], 0) + "/" + formatNumber(event.values[1], 0) +
           " bytes";
}

std::string text(const KelvoEvent& event) {
    return event.text ? event.text : "";
}

// The kind's name and what the event says, for the part before and after the robot.
struct Described {
    std::string head;
    std::string body;
};

Described describeKind(const KelvoEvent& event) {
    switch (event.kind) {
        case KELVO_EVENT_LINK:
            return {event.code ? "link up" : "link down (" + text(event) + ")", ""};
        case KELVO_EVENT_SERVO:
            return {"servo", describe(kServoStates, event.code)};
        case KELVO_EVENT_MODE:
            return {"mode", describe(kModes, event.code)};
        case KELVO_EVENT_COORD:
            return {"coord", describe(kCoords, event.code)};
        case KELVO_EVENT_SPEED:
            return {"speed", describeSpeed(event.code)};
        case KELVO_EVENT_RUNNING:
            return {"running", describe(kRunningStates, event.code)};
        case KELVO_EVENT_ROBOT:
            return {"selected", "mode " + std::to_string(event.code)};
        case KELVO_EVENT_POSITION:
            return {"position", describe(kCoords, event.code) + "  " +
                                    formatAxes(event.values, event.count, event.code)};
        case KELVO_EVENT_IO:
            return {"io " + nameOf(kIoNames, event.code), ioValues(event)};
        case KELVO_EVENT_ALARM: {
            std::string body = text(event);
            if (event.count > 0)
                body += " (#" + formatNumber(event.values[0], 0) + ")";
            return {"alarm " + nameOf(kAlarmNames, event.code), body};
        }
        case KELVO_EVENT_TRANSFER:
            return {
                "transfer " + nameOf(kTransferNames, event.code) + " " + text(event) + bytes(event),
                ""};
        case KELVO_EVENT_OVERFLOW:
            return {"overflow", std::to_string(event.count) + " events dropped"};
        default:
            return {"event " + std::to_string(event.kind), "code " + std::to_string(event.code)};
    }
}

std::string joinedLine(const KelvoEvent& event, const Described& described) {
    std::string line = described.head;
    if (event.robot != 0)
        line += " robot " + std::to_string(event.robot);
    return described.body.empty() ? line : line + ": " + described.body;
}

volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

// SIGINT ends the watch instead of kelvoctl, for as long as it lives.
class InterruptCatcher {
public:
    InterruptCatcher() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptCatcher() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    struct sigaction previous_ {};
};

// The next event within kPullMs: KELVO_OK, KELVO_ERR_TIMEOUT, or a failure (told).
int pull(CtlSession& ctl, KelvoEvent* event) {
    const int status = ctl.status(kelvo_next_event, event, kPullMs);
    if (status != KELVO_OK && status != KELVO_ERR_TIMEOUT)
        ctl.succeeded("kelvo_next_event", status);
    return status;
}

bool watchFor(CtlSession& ctl, std::chrono::steady_clock::duration length) {
    const InterruptCatcher catcher;
    const auto end = std::chrono::steady_clock::now() + length;
    while (!interrupted && std::chrono::steady_clock::now() < end) {
        KelvoEvent event{};
        const int status = pull(ctl, &event);
        if (status == KELVO_OK)
            ctl.console().line(describeEvent(event));
        else if (status != KELVO_ERR_TIMEOUT)
            return false;
    }
    return true;
}

}  // namespace

std::string describeEvent(const KelvoEvent& event) {
    return localTime(event.time) + " " + joinedLine(event, describeKind(event));
}

Action watch(const Args& args) {
    expectArgs(args, 0, 1);
    const int seconds = args.empty() ? kLongestWatchSeconds
                                     : required(wholeNumber(args[0], 1, kLongestWatchSeconds),
                                                "SECONDS must be a whole number from 1");
    return [seconds](CtlSession& ctl) { return watchFor(ctl, std::chrono::seconds(seconds)); };
}

void discardEvents(CtlSession& ctl) {
    KelvoEvent event{};
    while (ctl.status(kelvo_next_event, &event, 0) == KELVO_OK) {
    }
}

bool showEventsUntil(CtlSession& ctl, const std::function<bool(const KelvoEvent&)>& wanted,
                     int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        KelvoEvent event{};
        const int status = pull(ctl, &event);
        if (status == KELVO_OK) {
            ctl.console().line(describeEvent(event));
            if (wanted(event))
                return true;
        } else if (status != KELVO_ERR_TIMEOUT) {
            return false;
        }
    }
    return fail(ctl.console(), "the awaited event did not come");
}

}  // namespace kelvoctl
