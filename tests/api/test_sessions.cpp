// Sessions: several controllers in one host, a status from every call, a clean close. A plain C
// host of them: the install test.

#include "apitest.h"

#include <atomic>
#include <cmath>
#include <future>
#include <set>

namespace {

long countEntries(const char* folder) {
    const std::filesystem::directory_iterator entries(folder);
    return std::distance(begin(entries), end(entries));
}

}  // namespace

TEST(Sessions, ThreeControllersFromSeveralThreadsWithoutCrossTalkAndClosedWithoutLeaks) {
    const char* addresses[] = {"127.0.8.40", "127.0.8.41", "127.0.8.42"};
    std::vector<std::unique_ptr<SimProcess>> sims;
    for (const char* address : addresses)
        sims.push_back(
            std::make_unique<SimProcess>(address, std::vector<std::string>{}, kSimulated));
    // The library's own event thread stays for the life of the process, and Qt keeps a worker or
    // two: count once they exist.
    kelvo_close(openSession(addresses[0]));
    const long tasks = countEntries("/proc/self/task");
    const long descriptors = countEntries("/proc/self/fd");
    std::vector<KelvoSession*> sessions;
    for (int i = 0; i < 3; ++i) {
        sessions.push_back(openSession(addresses[i]));
        ASSERT_NE(sessions.back(), nullptr);
        // Each controller gets its own speed and output; then threads read all three at once.
        ASSERT_EQ(kelvo_set_jogging_speed(sessions[i], 10 * (i + 1)), KELVO_OK);
        ASSERT_EQ(kelvo_set_dout(sessions[i], i + 1, 1), KELVO_OK);
    }
    sleepMs(300);  // the controllers' reports of the change come in
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&wrong, &sessions] {
            for (int round = 0; round < 30; ++round) {
                const int i = round % 3;  // all threads on one session at a time
                double outputs[16] = {};
                int speed = -1;
                wrong += kelvo_get_jogging_speed(sessions[i], &speed) != KELVO_OK ||
                         kelvo_get_dout(sessions[i], outputs) != KELVO_OK ||
                         speed != 10 * (i + 1) || outputs[i] != 1 || outputs[(i + 1) % 3] != 0;
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
        expectNextFrame(*sims[i], 0x2201,
                        json(R"({"coord":1,"robot":)" + std::string(i ? "1" : "2") + "}"));
        kelvo_close(sessions[i]);
    }
    // A joined thread may linger a moment in /proc; Qt's own workers come and go.
    EXPECT_TRUE(eventually([&] { return countEntries("/proc/self/task") <= tasks; }, 3000));
    EXPECT_EQ(countEntries("/proc/self/fd"), descriptors);
}

TEST(Sessions, CloseEndsAWaitingQueryFailedOpensSayWhyAndEveryStatusHasItsOwnMessage) {
    SimSession c("127.0.8.44");  // scripted: questions stay unanswered
    ASSERT_NE(c.session, nullptr);
    ASSERT_EQ(kelvo_set_reply_timeout(c.session, 0), KELVO_OK);  // wait for ever
    std::future<int> query = std::async(std::launch::async, [&c] {
        int speed = -7;
        const int status = kelvo_get_jogging_speed(c.session, &speed);
        return speed == -7 ? status : 1;  // untouched unless answered
    });
    ASSERT_TRUE(c.sim.nextFrame().has_value());
    EXPECT_LT(elapsedMs([&] { kelvo_close(c.session); }), 1000);
    EXPECT_EQ(query.get(), KELVO_ERR_CLOSED);

    struct Failed {
        const char* address;
        int port, timeoutMs, error;
        long long minMs, maxMs;
    };
    for (const Failed& f : {Failed{"127.0.6.x", 6000, 3000, KELVO_ERR_INVALID, 0, 100},
                            Failed{"127.0.8.44", -1, 3000, KELVO_ERR_INVALID, 0, 100},
                            Failed{"127.0.8.44", 65536, 3000, KELVO_ERR_INVALID, 0, 100},
                            Failed{"127.0.8.45", 6000, 600, KELVO_ERR_NOT_CONNECTED, 550, 3000}}) {
        int error = KELVO_OK;
        KelvoSession* opened = nullptr;
        const long long ms =
            elapsedMs([&] { opened = kelvo_open(f.address, f.port, f.timeoutMs, &error); });
        EXPECT_EQ(opened, nullptr);
        EXPECT_EQ(error, f.error) << f.address << ":" << f.port;
        EXPECT_GE(ms, f.minMs);
        EXPECT_LT(ms, f.maxMs);
    }
    kelvo_close(nullptr);

    // Every status has a message of its own, which no other status and no unknown code shares.
    std::set<std::string> messages = {kelvo_strerror(12345)};
    for (int status = KELVO_OK; status >= KELVO_ERR_IO; --status)
        EXPECT_TRUE(messages.insert(kelvo_strerror(status)).second) << kelvo_strerror(status);
}
