// Events: what the controller pushes reaches the host, by pull and by push, and the log by a
// handler.

#include "apitest.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <future>
#include <mutex>
#include <vector>

namespace {

struct Seen {
    int kind;
    int robot;
    int code;
    std::vector<double> values;
    std::string text;
};

Seen copyOf(const KelvoEvent& e) {
    return {e.kind, e.robot, e.code, std::vector<double>(e.values, e.values + e.count),
            e.text ? e.text : ""};
}

// Pulls until an event of kind arrives (within 5 s); every event pulled goes to log.
std::optional<Seen> pullUntil(KelvoSession* session, int kind, std::vector<int>* log) {
    for (int i = 0; i < 200; ++i) {
        KelvoEvent event;
        if (kelvo_next_event(session, &event, 5000) != KELVO_OK)
            return std::nullopt;
        log->push_back(event.kind);
        if (event.kind == kind)
            return copyOf(event);
    }
    return std::nullopt;
}

KelvoSession* open(const char* address) {
    int error = 0;
    KelvoSession* session = kelvo_open(address, 0, 3000, &error);
    EXPECT_NE(session, nullptr) << kelvo_strerror(error);
    return session;
}

}  // namespace

TEST(Events, EveryKindArrivesByPullInTheOrderOfArrival) {
    char dir[] = "/tmp/kelvo-events-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(std::system((std::string("mkdir -p ") + dir + "/robotJob/R1").c_str()), 0);
    std::ofstream(std::string(dir) + "/robotJob/R1/A.JBR") << std::string(100000, 'j');
    SimProcess sim("127.0.6.60", {"--job-dir", std::string(dir) + "/controller"},
                   SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* s = open("127.0.6.60");
    ASSERT_NE(s, nullptr);
    std::vector<int> order;

    const std::optional<Seen> link = pullUntil(s, KELVO_EVENT_LINK, &order);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->code, 1);
    ASSERT_EQ(kelvo_set_jogging_speed(s, 42), KELVO_OK);
    const std::optional<Seen> speed = pullUntil(s, KELVO_EVENT_SPEED, &order);
    ASSERT_TRUE(speed);
    EXPECT_EQ(speed->code, 42);
    ASSERT_EQ(kelvo_set_current_coord(s, 1), KELVO_OK);
    const std::optional<Seen> coord = pullUntil(s, KELVO_EVENT_COORD, &order);
    ASSERT_TRUE(coord);
    EXPECT_EQ(coord->code, 1);
    EXPECT_EQ(coord->robot, 1);
    ASSERT_TRUE(sim.command("din 3 1"));
    const std::optional<Seen> io = pullUntil(s, KELVO_EVENT_IO, &order);
    ASSERT_TRUE(io);
    EXPECT_EQ(io->code, KELVO_IO_DIN);
    ASSERT_GE(io->values.size(), 16u);
    ASSERT_TRUE(sim.command("alarm 1"));
    const std::optional<Seen> alarm = pullUntil(s, KELVO_EVENT_ALARM, &order);
    ASSERT_TRUE(alarm);
    EXPECT_FALSE(alarm->text.empty());
    const std::optional<Seen> servo = pullUntil(s, KELVO_EVENT_SERVO, &order);
    ASSERT_TRUE(servo);
    EXPECT_EQ(servo->code, 2);  // in alarm
    double position[6];
    ASSERT_EQ(kelvo_get_current_position(s, position, 1), KELVO_OK);
    const std::optional<Seen> pos = pullUntil(s, KELVO_EVENT_POSITION, &order);
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->code, 1);
    ASSERT_GE(pos->values.size(), 6u);
    EXPECT_EQ(pos->values[0], position[0]);
    int running = -1;
    ASSERT_EQ(kelvo_get_robot_running_state(s, &running), KELVO_OK);
    ASSERT_TRUE(pullUntil(s, KELVO_EVENT_RUNNING, &order));
    ASSERT_EQ(kelvo_set_current_mode(s, 1), KELVO_OK);
    const std::optional<Seen> mode = pullUntil(s, KELVO_EVENT_MODE, &order);
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->code, 1);
    ASSERT_EQ(kelvo_set_job_dir(s, dir), KELVO_OK);
    ASSERT_EQ(kelvo_upload_job(s), KELVO_OK);
    const std::optional<Seen> started = pullUntil(s, KELVO_EVENT_TRANSFER, &order);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->code, KELVO_TRANSFER_STARTED);
    EXPECT_EQ(started->text, "job/R1/A.JBR");
    std::optional<Seen> transfer = started;
    while (transfer && transfer->code != KELVO_TRANSFER_FINISHED)
        transfer = pullUntil(s, KELVO_EVENT_TRANSFER, &order);
    ASSERT_TRUE(transfer);
    EXPECT_EQ(transfer->values, (std::vector<double>{100000, 100000}));
    ASSERT_TRUE(sim.command("select 0 1"));
    const std::optional<Seen> selection = pullUntil(s, KELVO_EVENT_ROBOT, &order);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->robot, 1);
    ASSERT_TRUE(sim.command("drop"));
    const std::optional<Seen> lost = pullUntil(s, KELVO_EVENT_LINK, &order);
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->code, 0);
    kelvo_close(s);
    std::system((std::string("rm -rf ") + dir).c_str());
}

namespace {

struct HandlerState {
    KelvoSession* session = nullptr;
    std::atomic<int> calls{0};
    std::atomic<int> modeFromHandler{-1};
    std::atomic<int> sleepMs{0};
    std::atomic<bool> unregisterInside{false};
    std::atomic<bool> closeInside{false};
};

void onEvent(const KelvoEvent* event, void* user) {
    auto* state = static_cast<HandlerState*>(user);
    ++state->calls;
    if (event->kind == KELVO_EVENT_SPEED) {
        int mode = -1;
        if (kelvo_get_current_mode(state->session, &mode) == KELVO_OK)
            state->modeFromHandler = mode;
        if (state->sleepMs > 0)
            sleepMs(state->sleepMs);
        if (state->unregisterInside) {
            EXPECT_EQ(kelvo_set_event_handler(state->session, nullptr, nullptr), KELVO_OK);
        }
        if (state->closeInside)
            kelvo_close(state->session);
    }
}

}  // namespace

TEST(Events, AHandlerMayQuerySleepUnregisterAndClose) {
    SimProcess sim("127.0.6.61", {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* s = open("127.0.6.61");
    ASSERT_NE(s, nullptr);

    // A waiting query from inside the handler gets its answer; a 2 s handler stalls nothing.
    auto* state = new HandlerState;
    state->session = s;
    state->sleepMs = 2000;
    ASSERT_EQ(kelvo_set_event_handler(s, onEvent, state), KELVO_OK);
    KelvoEvent pulled;
    EXPECT_EQ(kelvo_next_event(s, &pulled, 0), KELVO_ERR_BUSY);
    ASSERT_EQ(kelvo_set_jogging_speed(s, 10), KELVO_OK);
    for (int i = 0; i < 500 && state->modeFromHandler == -1; ++i)
        sleepMs(20);
    EXPECT_EQ(state->modeFromHandler, 0);
    int speed = -1;
    EXPECT_EQ(kelvo_get_jogging_speed(s, &speed), KELVO_OK);  // while the handler sleeps
    EXPECT_EQ(speed, 10);
    // Unregistering waits for the sleeping delivery; after it, user may be freed at once.
    ASSERT_EQ(kelvo_set_event_handler(s, nullptr, nullptr), KELVO_OK);
    const int calls = state->calls;
    delete state;
    ASSERT_EQ(kelvo_set_jogging_speed(s, 11), KELVO_OK);
    ASSERT_TRUE(sim.command("din 2 1"));
    sleepMs(300);
    int connected = 0;
    EXPECT_EQ(kelvo_is_connected(s, &connected), KELVO_OK);
    EXPECT_EQ(connected, 1);
    EXPECT_GT(calls, 0);

    // Unregistering from inside the handler, then closing from inside it.
    HandlerState inside;
    inside.session = s;
    inside.unregisterInside = true;
    ASSERT_EQ(kelvo_set_event_handler(s, onEvent, &inside), KELVO_OK);
    ASSERT_EQ(kelvo_set_jogging_speed(s, 12), KELVO_OK);
    KelvoEvent e;
    for (int i = 0; i < 500 && kelvo_next_event(s, &e, 0) == KELVO_ERR_BUSY; ++i)
        sleepMs(20);
    const int afterUnregister = inside.calls;
    ASSERT_EQ(kelvo_set_jogging_speed(s, 13), KELVO_OK);
    sleepMs(300);
    EXPECT_EQ(inside.calls, afterUnregister);

    inside.unregisterInside = false;
    inside.closeInside = true;
    ASSERT_EQ(kelvo_set_event_handler(s, onEvent, &inside), KELVO_OK);
    ASSERT_EQ(kelvo_set_jogging_speed(s, 14), KELVO_OK);
    sleepMs(1000);  // the handler closes the session; nothing is left to call
}

TEST(Events, PullWaitsAndAStormOverflowsWithoutLosingAlarms) {
    SimProcess sim("127.0.6.62");
    ASSERT_TRUE(sim.listening());
    KelvoSession* s = open("127.0.6.62");
    ASSERT_NE(s, nullptr);
    KelvoEvent event;
    ASSERT_EQ(kelvo_next_event(s, &event, 0), KELVO_OK);  // the link came up
    EXPECT_EQ(event.kind, KELVO_EVENT_LINK);
    EXPECT_EQ(kelvo_next_event(s, &event, 0), KELVO_ERR_TIMEOUT);
    const long long waited = elapsedMs([&] { kelvo_next_event(s, &event, 300); });
    EXPECT_GE(waited, 250);
    EXPECT_EQ(kelvo_next_event(s, nullptr, 0), KELVO_ERR_INVALID);

    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(sim.report(0x3606, json(R"({"status":[1,0,1]})")));
        if (i % 1000 == 500) {
            ASSERT_TRUE(sim.report(0x2B03, json(R"({"data":"storm alarm","type":7})")));
        }
    }
    ASSERT_TRUE(sim.reply(0x2602, 0x2603, json(R"({"robot":1,"speed":5})")));
    int speed = 0;
    ASSERT_EQ(kelvo_get_jogging_speed(s, &speed), KELVO_OK);  // everything before it arrived
    int overflow = 0;
    int alarms = 0;
    int pulled = 0;
    while (kelvo_next_event(s, &event, 0) == KELVO_OK) {
        ++pulled;
        if (event.kind == KELVO_EVENT_OVERFLOW)
            overflow += event.count;
        if (event.kind == KELVO_EVENT_ALARM) {
            ++alarms;
            EXPECT_STREQ(event.text, "storm alarm");
            ASSERT_EQ(event.count, 1);
            EXPECT_EQ(event.values[0], 7);
        }
    }
    EXPECT_EQ(alarms, 3);
    EXPECT_GT(overflow, 0);
    EXPECT_LE(pulled, 1100);
    EXPECT_EQ(pulled - 1 + overflow, 3000 + 3 + 1);  // every din, alarm, and the speed answer
    kelvo_close(s);
}

namespace {

struct LogLines {
    std::mutex mutex;
    std::vector<std::pair<int, std::string>> lines;
};

void onLog(int level, const char* category, const char* text, void* user) {
    auto* log = static_cast<LogLines*>(user);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->lines.emplace_back(level, std::string(category) + ": " + text);
}

}  // namespace

TEST(Events, TheLogHandlerGetsTheLibrarysLinesWithTheirLevels) {
    SimProcess sim("127.0.6.63");
    ASSERT_TRUE(sim.listening());
    KelvoSession* s = open("127.0.6.63");
    ASSERT_NE(s, nullptr);
    LogLines log;
    ASSERT_EQ(kelvo_set_log_handler(onLog, &log, KELVO_LOG_INFO), KELVO_OK);
    EXPECT_EQ(kelvo_set_aout(s, 1, NAN), KELVO_ERR_INVALID);
    ASSERT_EQ(kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG), KELVO_OK);
    EXPECT_EQ(kelvo_set_aout(s, 1, NAN), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_set_log_handler(onLog, &log, 9), KELVO_ERR_INVALID);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].first, KELVO_LOG_WARNING);
    EXPECT_EQ(log.lines[0].second, "kelvo.api: kelvo_set_aout: value not finite, nothing sent");
    kelvo_close(s);
}
