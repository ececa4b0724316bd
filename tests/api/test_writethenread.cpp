// A write followed by a read gets the value written, however the controller tells it: unasked
// and answering, answering only, or never replying to the heartbeats the answers are fenced with.

#include "apitest.h"

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kReplyTimeoutMs = 2000;
// Each call's bound: its reply timeout, and room for a loaded machine.
constexpr long long kCallBoundMs = kReplyTimeoutMs + 1500;
constexpr int kDoutThreads = 4;

// The soak label sets more than CI's.
int fromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text ? std::atoi(text) : fallback;
}

struct Behaviour {
    const char* name;
    const char* address;
    std::vector<std::string> options;
    bool repliesToHeartbeats;
};

const Behaviour kBehaviours[] = {
    {"ReportsChangesAndAnswers", "127.0.26.1", {}, true},
    {"AnswersOnly", "127.0.26.2", {"--quiet-changes"}, true},
    {"NeverRepliesToHeartbeats", "127.0.26.3", {"--ignore-heartbeats"}, false},
};

// One write and the read that follows it: read gives back what was read.
struct Cycle {
    std::function<int(KelvoSession*, int value)> write;
    std::function<int(KelvoSession*, int* read)> read;
    std::function<int(int i)> value;
};

Cycle doutCycle(int port) {
    return {[port](KelvoSession* s, int v) { return kelvo_set_dout(s, port, v); },
            [port](KelvoSession* s, int* v) {
                double outputs[16] = {};
                const int status = kelvo_get_dout(s, outputs);
                *v = static_cast<int>(outputs[port - 1]);
                return status;
            },
            [](int i) { return i % 2; }};
}

const Cycle kMode{kelvo_set_current_mode, kelvo_get_current_mode, [](int i) { return i % 3; }};
const Cycle kSpeed{kelvo_set_jogging_speed, kelvo_get_jogging_speed,
                   [](int i) { return 1 + i % 100; }};

struct Tally {
    std::atomic<int> stale{0}, failed{0};
    std::atomic<long long> slowestMs{0};
};

void run(KelvoSession* s, const std::vector<Cycle>& kinds, int count, Tally& tally) {
    for (int i = 0; i < count; ++i) {
        for (const Cycle& c : kinds) {
            const int value = c.value(i);
            int read = -1;
            int status = KELVO_OK;
            const long long ms = elapsedMs([&] {
                if (c.write(s, value) == KELVO_OK)
                    status = c.read(s, &read);
            });
            tally.slowestMs = std::max<long long>(tally.slowestMs, ms);
            tally.failed += status != KELVO_OK;
            tally.stale += status == KELVO_OK && read != value;
        }
    }
}

// A simulated controller; its session's replies wait kReplyTimeoutMs.
struct Controller : SimSession {
    Controller(const char* address, const std::vector<std::string>& options = {},
               SimProcess::Controller kind = kSimulated)
        : SimSession(address, options, kind, SimProcess::Echo::Quiet) {
        if (session)
            kelvo_set_reply_timeout(session, kReplyTimeoutMs);
    }
};

class WriteThenRead : public ::testing::TestWithParam<Behaviour> {};

}  // namespace

TEST_P(WriteThenRead, EveryReadAfterAWriteGetsTheValueWritten) {
    const Behaviour& b = GetParam();
    const Controller c(b.address, b.options);
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);
    const int count = fromEnvironment("KELVO_WRITE_READ_CYCLES", 500);
    Tally tally;
    std::vector<std::thread> threads;
    for (int port = 1; port <= kDoutThreads; ++port)
        threads.emplace_back([&, port] { run(s, {doutCycle(port)}, count, tally); });
    threads.emplace_back([&] { run(s, {kMode, kSpeed}, count, tally); });
    for (std::thread& t : threads)
        t.join();
    kelvo_close(s);

    EXPECT_LE(tally.slowestMs, kCallBoundMs);
    if (!b.repliesToHeartbeats)
        return;  // fences fall back there: only the bound holds
    const int reads = count * (kDoutThreads + 2);
    EXPECT_EQ(tally.stale, 0) << "of " << reads << " reads";
    EXPECT_EQ(tally.failed, 0) << "of " << reads << " reads";
}

INSTANTIATE_TEST_SUITE_P(Controllers, WriteThenRead, ::testing::ValuesIn(kBehaviours),
                         [](const auto& param) { return std::string(param.param.name); });

// An echoing and a silent controller: fences go off once per connection, and reads are still
// answered, with the value written where the controller reports no change unasked.
TEST(WriteThenReadFallback, EchoedOrUnansweredHeartbeatsSwitchFencesOffOnceAndReadsStayRight) {
    struct Case {
        const char* address;
        std::vector<std::string> options;
        const char* command;  // console line, or nothing
        const char* reason;
    };
    const Case cases[] = {
        {"127.0.26.10", {"--quiet-changes"}, "reply 7266 7266", "echoes heartbeats"},
        {"127.0.26.11", {"--quiet-changes", "--ignore-heartbeats"}, nullptr, "went unanswered"},
    };
    StderrCapture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Controller controller(c.address, c.options);
        KelvoSession* const s = controller.session;
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(!c.command || controller.sim.command(c.command));
        Tally tally;
        // Past the 1666 ms a heartbeat may stay unanswered, so the silent one is found.
        for (int round = 0; round < 6; ++round) {
            run(s, {doutCycle(1)}, 10, tally);
            sleepMs(400);
        }
        kelvo_close(s);
        EXPECT_EQ(tally.failed + tally.stale, 0);
        EXPECT_LE(tally.slowestMs, kCallBoundMs);
        EXPECT_EQ(log.count(c.reason, true), 1);
    }
    EXPECT_EQ(log.count("fences off", true), 2);
}

// After a read left the cached servo status at 0, servo power-on in teach mode still presses the
// enabling switch once the controller answers 1: the motors come on.
TEST(WriteThenReadServo, PowerOnAfterAStatusReadAndAModeChangePowersTheMotors) {
    const int simulators = fromEnvironment("KELVO_POWER_ON_SIMULATORS", 10);
    int powered = 0;
    for (int n = 0; n < simulators; ++n) {
        const Controller c("127.0.26.20");
        KelvoSession* const s = c.session;
        ASSERT_NE(s, nullptr);
        int status = -1;
        EXPECT_EQ(kelvo_get_servo_status(s, &status), KELVO_OK);
        EXPECT_EQ(kelvo_set_current_mode(s, 0), KELVO_OK);
        EXPECT_EQ(kelvo_servo_power_on(s, &status), KELVO_OK);
        powered += eventually([&] { return !kelvo_get_servo_status(s, &status) && status == 3; });
        kelvo_close(s);
    }
    EXPECT_EQ(powered, simulators);
}

// A position answer that cannot be read: a session query waits for a readable one and takes its
// values; a flat query returns the cache at once.
TEST(WriteThenReadBadAnswers, AnUnreadableAnswerKeepsASessionQueryWaitingForTheGoodOne) {
    const std::string bad[] = {
        R"({"coord":1,"robot":1,"pos":"cut)",
        R"({"coord":1,"robot":1,"pos":"x"})",
        R"({"coord":1,"robot":1,"pos":{"x":1}})",
    };
    const std::string good = json(R"({"coord":1,"robot":1,"pos":[500,1,850,180,0,0]})");
    Controller c("127.0.26.30", {}, SimProcess::Controller::Scripted);
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);
    for (const std::string& payload : bad) {
        SCOPED_TRACE(payload);
        ASSERT_TRUE(c.sim.reply(0x2F07, 0x2F08, json(payload)));
        std::thread later([&] {
            sleepMs(300);
            c.sim.report(0x2F08, good);
        });
        double out[6] = {};
        int status = KELVO_ERR_INVALID;
        const long long ms = elapsedMs([&] { status = kelvo_get_current_position(s, out, 1); });
        later.join();
        EXPECT_EQ(status, KELVO_OK);
        EXPECT_GE(ms, 250);
        EXPECT_EQ(out[0], 500.0);
        EXPECT_EQ(out[2], 850.0);
    }
    kelvo_close(s);
}

TEST(WriteThenReadBadAnswers, AnUnreadableAnswerReturnsAFlatQueryAtOnceWithTheCache) {
    SimProcess sim("127.0.26.31");
    connectTo(sim, "127.0.26.31");
    ASSERT_TRUE(sim.reply(0x2F07, 0x2F08, json(R"({"coord":1,"robot":1,"pos":"cut)")));
    double out[6] = {7, 7, 7, 7, 7, 7};
    const long long ms = elapsedMs([&] { get_current_position(out, 1); });
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(out[0], 0.0);
}

// After a mode-1 selection of robot 2 the teach selection is empty, so in teach mode the cache
// keeps no servo report; the answer is still the status the report carries.
TEST(WriteThenReadBadAnswers, AServoReportTheCacheDoesNotKeepAnswersWithItsOwnStatus) {
    Controller c("127.0.26.32", {}, SimProcess::Controller::Scripted);
    KelvoSession* const s = c.session;
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(c.sim.report(word::kChangeRobotReport, json(R"({"mode":1,"robot":2})")));
    ASSERT_TRUE(
        c.sim.reply(0x2002, word::kServoReport, json(R"({"mode":1,"robot":2,"status":3})")));
    sleepMs(200);
    int status = -1;
    EXPECT_EQ(kelvo_get_servo_status(s, &status), KELVO_OK);
    EXPECT_EQ(status, 3);
    kelvo_close(s);
}
