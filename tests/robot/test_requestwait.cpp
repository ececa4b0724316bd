// Pairing requesters with the reports that answer them.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <future>
#include <thread>

namespace {

constexpr int kLongMs = 10000;

// A requester in its own thread, already waiting (the request mutex is released only inside the
// wait, so a report handled after start() returns cannot be missed).
class Waiter {
public:
    explicit Waiter(Robot& robot) {
        result_ = std::async(std::launch::async, [this, &robot] {
            robot.lockRequest();
            waiting_ = true;
            return robot.waitForReply(QDeadlineTimer(kLongMs));
        });
        while (!waiting_)
            std::this_thread::yield();
    }
    bool done() const {
        return result_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    bool woken() {
        return waitFor([this] { return done(); }, kLongMs) && result_.get();
    }

private:
    std::atomic<bool> waiting_{false};
    std::future<bool> result_;
};

struct WakeCase {
    const char* what;
    quint16 word;
    const char* payload;
    bool wakes;
};

}  // namespace

TEST(RobotRequestWait, OnlyAnsweringReportsWakeAndOnlyUnderTheirConditions) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    const WakeCase cases[] = {
        {"servo", 0x2003, R"({"mode":1,"robot":1,"status":1})", true},
        {"mode", 0x2103, R"({"mode":2})", true},
        {"same mode again", 0x2103, R"({"mode":2})", true},
        {"mode out of range", 0x2103, R"({"mode":3})", false},
        {"mode missing", 0x2103, R"({"robot":1})", false},
        {"coordinate of the current robot", 0x2203, R"({"coord":1,"robot":1})", true},
        {"coordinate without coord", 0x2203, R"({"robot":1})", true},
        {"coordinate of another robot", 0x2203, R"({"coord":2,"robot":2})", false},
        {"coordinate without robot", 0x2203, R"({"coord":2})", false},
        {"speed", 0x2603, R"({"speed":30})", true},
        {"speed missing", 0x2603, R"({"robot":1})", false},
        {"dout, not JSON", 0x3603, "not json", true},
        {"din without status", 0x3606, "{}", true},
        {"aout", 0x3609, R"({"value":[1]})", true},
        {"ain, wrong type", 0x360B, R"({"value":"x"})", true},
        {"running state, not JSON", 0x3D03, "][", true},
        {"job status", 0x9103, R"({"continueRun":0,"robot":1,"status":2})", true},
        {"position, not JSON", 0x2F08, "{", true},
        {"external axes, coord 0", 0x7013, R"({"coord":0,"posSync":[1,2,3,4,5]})", true},
        {"external axes, coord 1", 0x7013, R"({"coord":1,"posSync":[9,9,9,9,9]})", false},
        {"external axes, no coord", 0x7013, R"({"posSync":[9,9,9,9,9]})", false},
        {"external axes, not JSON", 0x7013, "x", true},
        {"socket state (queued)", 0x50B3, R"({"open":true})", true},
        {"deadman is no answer", 0x2303, R"({"deadman":1})", false},
        {"tool is no answer", 0x380C, R"({"curToolNum":2})", false},
    };
    for (const WakeCase& c : cases) {
        SCOPED_TRACE(c.what);
        Waiter waiter(*link.robot);
        link.report(c.word, c.payload);
        if (c.wakes) {
            EXPECT_TRUE(waiter.woken());
            continue;
        }
        ASSERT_TRUE(link.flush());
        EXPECT_FALSE(waiter.done());
        link.report(0x2603, R"({"speed":1})");
        EXPECT_TRUE(waiter.woken());
    }
    // Reports that did not wake did not touch the cache either.
    EXPECT_EQ(link.robot->coordMode(), 1);
    std::array<double, 5> sync{};
    link.robot->copySyncPosition(sync.data());
    EXPECT_EQ(sync, (std::array<double, 5>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(link.robot->socketOpen());
}

TEST(RobotRequestWait, AnyAnswerReleasesEveryPendingQueryWithItsOwnCacheUntouched) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    Robot& robot = *link.robot;
    auto query = [&robot](auto send) {
        return std::async(std::launch::async, [&robot, send] {
            return robot.queryAndWait([&] { return (robot.*send)(); }, QDeadlineTimer(kLongMs));
        });
    };
    for (quint16 word : {0x3602, 0x3D02, 0x7012})
        link.leaveUnanswered(word);
    std::future<bool> dout = query(&Robot::queryDout);
    std::future<bool> running = query(&Robot::queryRunningState);
    std::future<bool> sync = query(&Robot::querySyncPosition);
    for (quint16 word : {0x3602, 0x3D02, 0x7012})
        ASSERT_TRUE(link.sim.expectFrame(word));

    link.report(0x2603, R"({"speed":42})");
    for (std::future<bool>* f : {&dout, &running, &sync}) {
        ASSERT_TRUE(waitFor(
            [f] { return f->wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_TRUE(f->get());
    }
    EXPECT_EQ(robot.jogSpeed(), 42);
    std::array<double, 16> values{};
    values.fill(-1);
    robot.copyDout(values.data());
    EXPECT_EQ(values, (std::array<double, 16>{}));
    EXPECT_EQ(robot.runningState(), 0);
}

TEST(RobotRequestWait, ManyRequestersInManyThreadsAllGetAnswered) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    link.sim.setReply(0x3602, 0x3603, QByteArray(R"({"status":[1,0,1]})"));
    constexpr int kThreads = 4;
    constexpr int kQueries = 100;
    std::atomic<int> answered{0};
    std::atomic<int> timedOut{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kQueries; ++i) {
                Robot& robot = *link.robot;
                const bool ok =
                    robot.queryAndWait([&] { return robot.queryDout(); }, QDeadlineTimer(kLongMs));
                ++(ok ? answered : timedOut);
            }
        });
    }
    ASSERT_TRUE(waitFor([&] { return answered + timedOut == kThreads * kQueries; }, 60000));
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(timedOut, 0);
    double values[16];
    link.robot->copyDout(values);
    EXPECT_EQ(values[0], 1.0);
    EXPECT_EQ(values[1], 0.0);
}

TEST(RobotRequestWait, DeadlinePassesWithoutAnswerAndCopiesNeverMixTwoReports) {
    LinkedRobot link;
    ASSERT_TRUE(link.connected());
    Robot& robot = *link.robot;

    QElapsedTimer waited;
    waited.start();
    robot.lockRequest();
    EXPECT_FALSE(robot.waitForReply(QDeadlineTimer(200)));
    EXPECT_GE(waited.elapsed(), 190);

    // A reader copying while reports alternate between two full arrays only ever sees one of them.
    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        double values[16];
        while (!stop) {
            robot.copyDin(values);
            if (!std::all_of(values, values + 16, [&](double v) { return v == values[0]; }))
                ++mixed;
        }
    });
    for (int i = 0; i < 300; ++i) {
        link.report(0x3606, i % 2 ? R"({"status":[2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2]})"
                                  : R"({"status":[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1]})");
    }
    ASSERT_TRUE(link.flush());
    stop = true;
    reader.join();
    EXPECT_EQ(mixed, 0);
    robot.copyDin(nullptr);  // ignored, not a crash
}
