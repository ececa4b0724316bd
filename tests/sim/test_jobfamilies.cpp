// Jobs and continuous motion on the simulated controller, over a real socket.

#include "link/jsonwire.h"
#include "simclient.h"
#include "simharness.h"

#include <gtest/gtest.h>

#include <QThread>

using kelvo::sim::SimHarness;

namespace {

QByteArray json(const char* text) {
    return QByteArray(text) + '\n';
}

double firstJoint(SimClient& client) {
    const std::optional<kelvo::Frame> report =
        client.ask(0x2F07, json(R"({"coord":0,"robot":1})"), 0x2F08);
    const std::optional<Json::Value> body =
        report ? kelvo::json::parse(report->payload) : std::nullopt;
    return body ? kelvo::json::doubleOr(kelvo::json::element(kelvo::json::member(*body, "pos"), 0))
                : -1;
}

}  // namespace

TEST(SimJobs, ModeIsAnsweredWithTheSocketStateRefusalsWithTheRunningStateAndBadQueuesDropped) {
    SimHarness sim;
    sim.simulateRobots(1);
    SimClient client;
    ASSERT_TRUE(client.connectTo(sim.start()));
    ASSERT_TRUE(client.nextOf(0x5003));

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

    client.send(0x2101, json(R"({"mode":2})"));
    client.send(0x2001, json(R"({"robot":1,"status":1})"));
    client.send(0x50B1, json(R"({"open":true,"robot":1})"));
    const QByteArray good = R"({"RobotPos":{"data":[30,0,0,0,-30,0]},"type":1,"velocity":100})";
    client.send(0x50B4, R"({"data":[)" + good + R"(,{"type":1,"velocity":100}],"robot":1})");
    QThread::msleep(300);
    EXPECT_EQ(firstJoint(client), 0) << "a queue with an instruction without target runs nothing";
    client.send(0x50B4, R"({"data":[null,)" + good + R"(],"robot":1})");
    QThread::msleep(300);
    EXPECT_GT(firstJoint(client), 0);
}
