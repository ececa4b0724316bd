// Events: what the controller pushes reaches the host by pull, and the log by a handler. Calls
// from inside the event handler and unregistering it are the reentry tests'.

#include "apitest.h"

#include <cmath>
#include <mutex>
#include <vector>

namespace {

struct Seen {
    int kind = 0;
    int robot = -1;
    int code = -1;
    std::vector<double> values;
    std::string text;
};

// Pulls until an event of kind arrives (each pull within 5 s); an empty Seen when none does.
Seen pullUntil(KelvoSession* session, int kind) {
    KelvoEvent e;
    for (int i = 0; i < 200 && kelvo_next_event(session, &e, 5000) == KELVO_OK; ++i) {
        if (e.kind == kind)
            return {e.kind, e.robot, e.code, std::vector<double>(e.values, e.values + e.count),
                    e.text ? e.text : ""};
    }
    ADD_FAILURE() << "no event of kind " << kind;
    return {};
}

}  // namespace

TEST(Events, EveryKindArrivesByPullInTheOrderOfArrival) {
    TempDir dir;
    dir.write("robotJob/R1/A.JBR", std::string(100000, 'j'));
    SimSession c("127.0.6.60", {"--job-dir", (dir.path / "controller").string()}, kSimulated);
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);

    EXPECT_EQ(pullUntil(s, KELVO_EVENT_LINK).code, 1);
    ASSERT_EQ(kelvo_set_jogging_speed(s, 42), KELVO_OK);
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_SPEED).code, 42);
    ASSERT_EQ(kelvo_set_current_coord(s, 1), KELVO_OK);
    const Seen coord = pullUntil(s, KELVO_EVENT_COORD);
    EXPECT_EQ(std::make_pair(coord.code, coord.robot), std::make_pair(1, 1));
    ASSERT_TRUE(c.sim.command("din 3 1"));
    const Seen io = pullUntil(s, KELVO_EVENT_IO);
    EXPECT_EQ(io.code, KELVO_IO_DIN);
    EXPECT_GE(io.values.size(), 16u);
    ASSERT_TRUE(c.sim.command("alarm 1"));
    EXPECT_FALSE(pullUntil(s, KELVO_EVENT_ALARM).text.empty());
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_SERVO).code, 2);  // in alarm
    double position[6];
    ASSERT_EQ(kelvo_get_current_position(s, position, 1), KELVO_OK);
    const Seen pos = pullUntil(s, KELVO_EVENT_POSITION);
    EXPECT_EQ(pos.code, 1);
    ASSERT_GE(pos.values.size(), 6u);
    EXPECT_EQ(pos.values[0], position[0]);
    int running = -1;
    ASSERT_EQ(kelvo_get_robot_running_state(s, &running), KELVO_OK);
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_RUNNING).code, running);
    ASSERT_EQ(kelvo_set_current_mode(s, 1), KELVO_OK);
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_MODE).code, 1);
    ASSERT_EQ(kelvo_set_job_dir(s, dir.path.c_str()), KELVO_OK);
    ASSERT_EQ(kelvo_upload_job(s), KELVO_OK);
    Seen transfer = pullUntil(s, KELVO_EVENT_TRANSFER);
    EXPECT_EQ(transfer.code, KELVO_TRANSFER_STARTED);
    EXPECT_EQ(transfer.text, "job/R1/A.JBR");
    while (transfer.kind && transfer.code != KELVO_TRANSFER_FINISHED)
        transfer = pullUntil(s, KELVO_EVENT_TRANSFER);
    EXPECT_EQ(transfer.values, (std::vector<double>{100000, 100000}));
    ASSERT_TRUE(c.sim.command("select 0 1"));
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_ROBOT).robot, 1);
    ASSERT_TRUE(c.sim.command("drop"));
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_LINK).code, 0);
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

TEST(Events, PullWaitsAStormOverflowsWithoutLosingAlarmsAndTheLogHandlerGetsItsLevels) {
    SimSession c("127.0.6.62");
    SimProcess& sim = c.sim;
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);
    KelvoEvent event;
    ASSERT_EQ(kelvo_next_event(s, &event, 0), KELVO_OK);
    EXPECT_EQ(event.kind, KELVO_EVENT_LINK);
    EXPECT_EQ(kelvo_next_event(s, &event, 0), KELVO_ERR_TIMEOUT);
    EXPECT_GE(elapsedMs([&] { kelvo_next_event(s, &event, 300); }), 250);
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
    int overflow = 0, alarms = 0, pulled = 0;
    for (; kelvo_next_event(s, &event, 0) == KELVO_OK; ++pulled) {
        overflow += event.kind == KELVO_EVENT_OVERFLOW ? event.count : 0;
        if (event.kind == KELVO_EVENT_ALARM) {
            ++alarms;
            EXPECT_STREQ(event.text, "storm alarm");
            EXPECT_EQ(std::vector<double>(event.values, event.values + event.count),
                      std::vector<double>{7});
        }
    }
    EXPECT_EQ(alarms, 3);
    EXPECT_GT(overflow, 0);
    EXPECT_LE(pulled, 1100);
    EXPECT_EQ(pulled - 1 + overflow, 3000 + 3 + 1);  // every din, alarm, and the speed answer

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
