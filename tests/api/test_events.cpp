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

// One session walks every error a real situation gives and every event kind, in the order they
// arrive.
TEST(Events, EveryKindArrivesByPullInOrderAndEveryErrorComesFromARealSituation) {
    constexpr int kJobBytes = 4 << 20;  // still uploading at the next call
    TempDir dir;
    dir.write("robotJob/R1/A.JBR", std::string(kJobBytes, 'j'));
    SimSession c("127.0.6.60", {"--job-dir", (dir.path / "controller").string()}, kSimulated);
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);

    EXPECT_EQ(kelvo_get_dout(s, nullptr), KELVO_ERR_INVALID);
    for (const int ms : {-1, -2, -1000})
        EXPECT_EQ(kelvo_set_reply_timeout(s, ms), KELVO_ERR_INVALID) << ms;
    const double notFinite[6] = {0, 0, NAN, 0, 0, 0};
    EXPECT_EQ(kelvo_robot_movj(s, notFinite, 10, 0), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_start_jogging(s, 1, 1), KELVO_ERR_REFUSED);  // servo not running
    EXPECT_EQ(kelvo_stop_job(s), KELVO_ERR_REFUSED);             // no job runs
    const std::vector<ContinuousMotionPoint> points(400, {100.5, 50.25, 50.25, 1.125, 0, {}, 5});
    EXPECT_EQ(kelvo_send_continuous_motion_queue(s, points.data(), 400), KELVO_ERR_TOO_LARGE);
    EXPECT_EQ(kelvo_set_job_dir(s, "/nonexistent/kelvo"), KELVO_ERR_IO);
    int servo = -1;
    EXPECT_EQ(kelvo_get_servo_status(s, &servo), KELVO_OK);
    EXPECT_EQ(servo, 0);

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
    EXPECT_EQ(kelvo_upload_job(s), KELVO_ERR_BUSY);
    Seen transfer = pullUntil(s, KELVO_EVENT_TRANSFER);
    EXPECT_EQ(transfer.code, KELVO_TRANSFER_STARTED);
    EXPECT_EQ(transfer.text, "job/R1/A.JBR");
    while (transfer.kind && transfer.code != KELVO_TRANSFER_FINISHED)
        transfer = pullUntil(s, KELVO_EVENT_TRANSFER);
    EXPECT_EQ(transfer.values, (std::vector<double>{kJobBytes, kJobBytes}));
    ASSERT_TRUE(c.sim.command("select 0 1"));
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_ROBOT).robot, 1);
    ASSERT_TRUE(c.sim.command("drop"));
    EXPECT_EQ(pullUntil(s, KELVO_EVENT_LINK).code, 0);

    c.sim.stop();  // the controller goes: first no answer, then no link
    ASSERT_EQ(kelvo_set_reply_timeout(s, 300), KELVO_OK);
    int speed = 0;
    const int status = kelvo_get_jogging_speed(s, &speed);
    EXPECT_TRUE(status == KELVO_ERR_TIMEOUT || status == KELVO_ERR_NOT_CONNECTED)
        << kelvo_strerror(status);
    EXPECT_TRUE(eventually(
        [&] { return kelvo_get_jogging_speed(s, &speed) == KELVO_ERR_NOT_CONNECTED; }, 10000));
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

TEST(Events, PullWaitsTheQueueIsBoundedInCountAndBytesWithoutLosingAlarmsAndLogLevelsHold) {
    SimSession c("127.0.6.62");
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);
    KelvoEvent event;
    ASSERT_EQ(kelvo_next_event(s, &event, 0), KELVO_OK);
    EXPECT_EQ(event.kind, KELVO_EVENT_LINK);
    EXPECT_EQ(kelvo_next_event(s, &event, 0), KELVO_ERR_TIMEOUT);
    EXPECT_GE(elapsedMs([&] { kelvo_next_event(s, &event, 300); }), 250);
    EXPECT_EQ(kelvo_next_event(s, nullptr, 0), KELVO_ERR_INVALID);

    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(c.sim.report(0x3606, json(R"({"status":[1,0,1]})")));
        if (i % 1000 == 500) {
            ASSERT_TRUE(c.sim.report(0x2B03, json(R"({"data":"storm alarm","type":7})")));
        }
    }
    ASSERT_TRUE(c.sim.reply(0x2602, 0x2603, json(R"({"robot":1,"speed":5})")));
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

    // Large alarms the host does not take: the queue stays near its byte bound, the alarms it
    // keeps have their whole text, and OVERFLOW counts the rest.
    constexpr int kAlarms = 200;
    constexpr size_t kTextBytes = 32 * 1024;
    const std::string text(kTextBytes, 'a');
    kelvo_set_log_handler(onLog, &log, KELVO_LOG_ERROR);  // not every alarm's text on stderr
    for (int i = 0; i < kAlarms; ++i)
        ASSERT_TRUE(c.sim.report(0x2B03, json(R"({"data":")" + text + R"(","type":7})")));
    ASSERT_EQ(kelvo_get_jogging_speed(s, &speed), KELVO_OK);  // every alarm arrived before it
    int dropped = 0, taken = 0;
    for (alarms = 0; kelvo_next_event(s, &event, 0) == KELVO_OK;) {
        dropped += event.kind == KELVO_EVENT_OVERFLOW ? event.count : 0;
        taken += event.kind != KELVO_EVENT_OVERFLOW;
        if (event.kind == KELVO_EVENT_ALARM) {
            ++alarms;
            EXPECT_EQ(std::string(event.text ? event.text : "(null)"), text);
        }
    }
    EXPECT_GT(alarms, 0);
    EXPECT_LE(alarms * kTextBytes, 4u << 20);
    // Nothing unaccounted for: besides the alarms, the speed answer (whose event may trail it).
    EXPECT_GE(taken + dropped, kAlarms);
    EXPECT_LE(taken + dropped, kAlarms + 1);
    kelvo_close(s);
    kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG);
}
