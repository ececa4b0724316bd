// The answers of the job and continuous-motion families, over a real socket.

#include "simclient.h"
#include "simharness.h"

#include <gtest/gtest.h>

using kelvo::sim::SimHarness;

namespace {

QByteArray json(const char* text) {
    return QByteArray(text) + '\n';
}

}  // namespace

TEST(SimJobs, ModeIsAnsweredWithTheSocketStateAndARefusedJobWithTheRunningState) {
    SimHarness sim;
    sim.simulateRobots(1);
    SimClient client;
    ASSERT_TRUE(client.connectTo(sim.start()));

    for (const char* open : {"true", "false"}) {
        const QByteArray state = json(R"({"open":)" + QByteArray(open) + R"(,"robot":1})");
        const std::optional<kelvo::Frame> answer = client.ask(0x50B1, state, 0x50B3);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->payload, state);
    }
    // Teach mode with the servo stopped: no job starts, and none runs to stop.
    const QByteArray notRunning = json(R"({"robot":1,"status":0})");
    for (const auto& [word, request] :
         {std::pair{0x2501, json(R"({"continueRun":0,"jobname":"J","line":1,"robot":1})")},
          std::pair{0x2401, json(R"({"robot":1,"type":1})")}}) {
        const std::optional<kelvo::Frame> answer = client.ask(word, request, 0x3D03);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->payload, notRunning);
    }
}
