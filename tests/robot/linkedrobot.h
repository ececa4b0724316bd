#pragma once

#include "simlink.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

// What these tests wait for by default.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// A Robot in the test thread, linked over loopback to a simulated controller.
class LinkedRobot {
public:
    LinkedRobot();

    bool connected() const { return robot->connected(); }
    void report(quint16 command, const char* json) { sim.sendReport(command, QByteArray(json)); }
    // Returns once every report sent so far has been handled and its notifications delivered to
    // the test thread: direct handlers run before later frames are cut, and queued ones in order.
    bool flush();
    // Whatever the simulator would answer to this word, it answers with a word no handler waits
    // for.
    void leaveUnanswered(quint16 command) { sim.setReply(command, kUnknownWord, QByteArray()); }

    static constexpr quint16 kUnknownWord = 0x1234;

    kelvo::sim::SimHarness sim;
    std::unique_ptr<Robot> robot;

private:
    int barriers_ = 0;
};

// For a test body: a robot linked to a simulated controller, connected.
class LinkedRobotTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(link.connected()); }

    LinkedRobot link;
    Robot& robot = *link.robot;
};

// Every emission of one signal, delivered to the test thread (queued when the signal comes from
// the connection thread), so the test reads them without racing the emitter.
template <typename... Args>
class SignalLog {
public:
    using Call = std::tuple<std::decay_t<Args>...>;

    template <typename Sender>
    SignalLog(Sender* sender, void (Sender::*signal)(Args...)) {
        QObject::connect(sender, signal, &context_,
                         [this](Args... args) { calls_.emplace_back(args...); });
    }

    const std::vector<Call>& calls() const { return calls_; }
    int count() const { return static_cast<int>(calls_.size()); }
    const Call& last() const { return calls_.back(); }
    void clear() { calls_.clear(); }

private:
    QObject context_;
    std::vector<Call> calls_;
};
