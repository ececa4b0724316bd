// Sessions: several controllers in one host, a status from every call, a clean close. A plain C
// host of them: the install test.

#include "apitest.h"

#include <atomic>
#include <cmath>
#include <future>
#include <set>
#include <vector>

namespace {

struct Opened {
    KelvoSession* session = nullptr;
    int error = KELVO_OK;
};

Opened tryOpen(const char* address, int port = 6000, int timeoutMs = 3000) {
    Opened opened;
    opened.session = kelvo_open(address, port, timeoutMs, &opened.error);
    return opened;
}

long countEntries(const char* folder) {
    const std::filesystem::directory_iterator entries(folder);
    return std::distance(begin(entries), end(entries));
}

std::string frameFor(SimProcess& sim, uint16_t command) {
    for (std::optional<WireFrame> f = sim.nextFrame(); f; f = sim.nextFrame()) {
        if (f->command == command)
            return f->payload;
    }
    return "(none)";
}

}  // namespace

TEST(Sessions, ThreeControllersFromSeveralThreadsWithoutCrossTalk) {
    const char* addresses[] = {"127.0.8.40", "127.0.8.41", "127.0.8.42"};
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<KelvoSession*> sessions;
    for (const char* address : addresses) {
        sims.push_back(std::make_unique<SimProcess>(address, std::vector<std::string>{},
                                                    SimProcess::Controller::Simulated));
        ASSERT_TRUE(sims.back()->listening());
        sessions.push_back(openSession(address));
        ASSERT_NE(sessions.back(), nullptr);
    }

    // Each controller gets its own speed and output; then threads read all three at once.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(kelvo_set_jogging_speed(sessions[i], 10 * (i + 1)), KELVO_OK);
        ASSERT_EQ(kelvo_set_dout(sessions[i], i + 1, 1), KELVO_OK);
    }
    sleepMs(300);  // the controllers' reports of the change come in
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&wrong, &sessions, t] {
            for (int round = 0; round < 30; ++round) {
                const int i = (t + round) % 3;
                double outputs[16] = {};
                int speed = -1;
                if (kelvo_get_jogging_speed(sessions[i], &speed) != KELVO_OK ||
                    kelvo_get_dout(sessions[i], outputs) != KELVO_OK || speed != 10 * (i + 1) ||
                    outputs[i] != 1 || outputs[(i + 1) % 3] != 0) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);

    // A robot selection on one controller changes only its own session's payloads.
    ASSERT_TRUE(sims[0]->report(word::kChangeRobotReport, json(R"({"mode":0,"robot":2})")));
    sleepMs(300);
    for (int i = 0; i < 3; ++i) {
        while (sims[i]->nextFrame(100)) {
        }
        EXPECT_EQ(kelvo_set_current_coord(sessions[i], 1), KELVO_OK);
        EXPECT_EQ(frameFor(*sims[i], 0x2201),
                  json(R"({"coord":1,"robot":)" + std::string(i ? "1" : "2") + "}"));
    }
    for (KelvoSession* session : sessions)
        kelvo_close(session);
}

TEST(Sessions, OpenIsFastAndClosingFiftyTimesLeavesNoThreadsOrDescriptors) {
    SimProcess sim("127.0.8.43", {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    // The library's own event thread stays for the life of the process, and Qt keeps a worker or
    // two: count once they exist.
    for (int i = 0; i < 3; ++i)
        kelvo_close(openSession("127.0.8.43"));
    const int threads = countEntries("/proc/self/task");
    const int descriptors = countEntries("/proc/self/fd");
    long long slowest = 0;
    for (int i = 0; i < 50; ++i) {
        KelvoSession* session = nullptr;
        slowest = std::max(slowest, elapsedMs([&] { session = openSession("127.0.8.43"); }));
        ASSERT_NE(session, nullptr);
        int connected = 0;
        EXPECT_EQ(kelvo_is_connected(session, &connected), KELVO_OK);
        EXPECT_EQ(connected, 1);
        kelvo_close(session);
    }
    EXPECT_LT(slowest, 2000);  // a link on loopback needs no check tick
    // A joined thread may linger a moment in /proc; Qt's own workers come and go.
    for (int i = 0; i < 60 && countEntries("/proc/self/task") > threads; ++i)
        sleepMs(50);
    EXPECT_LE(countEntries("/proc/self/task"), threads);
    EXPECT_EQ(countEntries("/proc/self/fd"), descriptors);
    std::printf("slowest kelvo_open on loopback: %lld ms\n", slowest);
}

TEST(Sessions, CloseEndsAWaitingQueryAndFailedOpensSayWhy) {
    SimProcess sim("127.0.8.44");  // scripted: questions stay unanswered
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.8.44");
    ASSERT_NE(session, nullptr);
    ASSERT_EQ(kelvo_set_reply_timeout(session, 0), KELVO_OK);  // wait for ever
    std::future<int> query = std::async(std::launch::async, [session] {
        int speed = -7;
        const int status = kelvo_get_jogging_speed(session, &speed);
        return speed == -7 ? status : 1;  // untouched unless answered
    });
    ASSERT_TRUE(sim.nextFrame().has_value());
    const long long closing = elapsedMs([&] { kelvo_close(session); });
    EXPECT_LT(closing, 1000);
    EXPECT_EQ(query.get(), KELVO_ERR_CLOSED);

    Opened opened;
    EXPECT_LT(elapsedMs([&] { opened = tryOpen("127.0.6.x"); }), 100);
    EXPECT_EQ(opened.error, KELVO_ERR_INVALID);
    for (const int port : {-1, 65536}) {
        EXPECT_EQ(tryOpen("127.0.8.44", port).error, KELVO_ERR_INVALID) << port;
    }
    const long long refused = elapsedMs([&] { opened = tryOpen("127.0.8.45", 6000, 600); });
    EXPECT_EQ(opened.session, nullptr);
    EXPECT_EQ(opened.error, KELVO_ERR_NOT_CONNECTED);
    EXPECT_GE(refused, 550);
    EXPECT_LT(refused, 3000);
    kelvo_close(nullptr);
}

TEST(Sessions, EveryErrorComesFromARealSituation) {
    const TempDir dir;
    dir.write("robotJob/R1/big.JBR", std::string(32 << 20, 'x'));
    SimProcess sim("127.0.8.46", {"--job-dir", (dir.path / "controller").string()},
                   SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.8.46");
    ASSERT_NE(session, nullptr);

    EXPECT_EQ(kelvo_get_dout(session, nullptr), KELVO_ERR_INVALID);
    for (const int ms : {-1, -2, -1000}) {
        EXPECT_EQ(kelvo_set_reply_timeout(session, ms), KELVO_ERR_INVALID) << ms;
    }
    const double notFinite[6] = {0, 0, NAN, 0, 0, 0};
    EXPECT_EQ(kelvo_robot_movj(session, notFinite, 10, 0), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_start_jogging(session, 1, 1), KELVO_ERR_REFUSED);  // servo not running
    EXPECT_EQ(kelvo_stop_job(session), KELVO_ERR_REFUSED);             // no job runs
    std::vector<ContinuousMotionPoint> points(400);
    for (ContinuousMotionPoint& p : points)
        p = ContinuousMotionPoint{100.5, 50.25, 50.25, 1.125, 0, {}, 5};
    EXPECT_EQ(kelvo_send_continuous_motion_queue(session, points.data(), 400), KELVO_ERR_TOO_LARGE);
    EXPECT_EQ(kelvo_set_job_dir(session, "/nonexistent/kelvo"), KELVO_ERR_IO);
    ASSERT_EQ(kelvo_set_job_dir(session, dir.path.c_str()), KELVO_OK);
    ASSERT_EQ(kelvo_upload_job(session), KELVO_OK);
    EXPECT_EQ(kelvo_upload_job(session), KELVO_ERR_BUSY);
    int servo = -1;
    EXPECT_EQ(kelvo_get_servo_status(session, &servo), KELVO_OK);
    EXPECT_EQ(servo, 0);

    sim.stop();  // the controller goes: first no answer, then no link
    ASSERT_EQ(kelvo_set_reply_timeout(session, 300), KELVO_OK);
    int speed = 0;
    int status = kelvo_get_jogging_speed(session, &speed);
    EXPECT_TRUE(status == KELVO_ERR_TIMEOUT || status == KELVO_ERR_NOT_CONNECTED)
        << kelvo_strerror(status);
    for (int i = 0; i < 100 && status != KELVO_ERR_NOT_CONNECTED; ++i) {
        sleepMs(100);
        status = kelvo_get_jogging_speed(session, &speed);
    }
    EXPECT_EQ(status, KELVO_ERR_NOT_CONNECTED);
    kelvo_close(session);
}

// Every status has a message of its own, which no other status and no unknown code shares.
TEST(Sessions, EveryStatusHasItsOwnMessage) {
    std::set<std::string> messages = {kelvo_strerror(12345)};
    for (int status = KELVO_OK; status >= KELVO_ERR_IO; --status) {
        EXPECT_TRUE(messages.insert(kelvo_strerror(status)).second) << kelvo_strerror(status);
    }
}
