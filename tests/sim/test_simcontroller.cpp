// The simulated controller over real sockets: queries, pushed reports, motion, faults.

#include "link/frame.h"
#include "simcell.h"
#include "simclient.h"
#include "simharness.h"

#include <gtest/gtest.h>

using kelvo::Frame;
using kelvo::sim::nowMs;
using kelvo::sim::SimController;
using kelvo::sim::SimHarness;

namespace {

QByteArray json(const char* text) {
    return QByteArray(text) + '\n';
}

QByteArray zeros(int count, const char* zero) {
    QByteArray list;
    for (int i = 0; i < count; ++i)
        list += (i ? "," : "") + QByteArray(zero);
    return "[" + list + "]";
}

struct Controller {
    explicit Controller(int robots = 1) {
        sim.simulateRobots(robots);
        port = sim.start();
    }
    // A client past the greeting (robot type, count and selection).
    void connect(SimClient& client) {
        ASSERT_TRUE(client.connectTo(port));
        ASSERT_TRUE(client.nextOf(0x5003));
    }

    SimHarness sim;
    quint16 port = 0;
};

}  // namespace

TEST(SimController, GreetsEveryConnectionAndAnswersEachQueryWithItsReport) {
    Controller c(2);
    SimClient client;
    ASSERT_TRUE(client.connectTo(c.port));
    for (const auto& [word, payload] :
         {std::pair{0x2E03, json(R"({"type":1})")}, std::pair{0x2E06, json(R"({"sum":2})")},
          std::pair{0x5003, json(R"({"mode":0,"robot":1})")}}) {
        const std::optional<Frame> frame = client.next(3000);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->command, word);
        EXPECT_EQ(frame->payload, payload);
    }

    struct Query {
        quint16 word;
        QByteArray payload;
        quint16 reply;
        QByteArray expected;
    };
    const QByteArray home = "[500.0,0.0,850.0,180.0,0.0,0.0,0.0]";
    const Query queries[] = {
        {0x2002, json(R"({"robot":2})"), 0x2003, json(R"({"mode":0,"robot":2,"status":0})")},
        {0x2102, "", 0x2103, json(R"({"mode":0})")},
        {0x2105, "", 0x2106, json(R"({"teachType":0})")},
        {0x2202, json(R"({"robot":1})"), 0x2203, json(R"({"coord":0,"robot":1})")},
        {0x2302, "", 0x2303, json(R"({"deadman":0})")},
        {0x2602, json(R"({"robot":1})"), 0x2603, json(R"({"robot":1,"speed":10})")},
        {0x3602, "", 0x3603, "{\"status\":" + zeros(128, "0") + "}\n"},
        {0x3605, "", 0x3606, "{\"status\":" + zeros(128, "0") + "}\n"},
        {0x3608, "", 0x3609, "{\"value\":" + zeros(16, "0") + "}\n"},
        {0x360A, "", 0x360B, "{\"value\":" + zeros(16, "0") + "}\n"},
        {0x380B, json(R"({"robot":1})"), 0x380C, json(R"({"curToolNum":0,"robot":1})")},
        {0x3C0B, json(R"({"coord":3,"robot":1})"), 0x3C0C, json(R"({"curUserNum":0,"robot":1})")},
        {0x3D02, json(R"({"robot":1})"), 0x3D03, json(R"({"robot":1,"status":0})")},
        {0x2F07, json(R"({"coord":1,"robot":1})"), 0x2F08,
         "{\"coord\":1,\"pos\":" + home + ",\"posDeg\":" + home + ",\"robot\":1}\n"},
        {0x2A02, json(R"({"robot":1})"), 0x2A03,
         "{\"coord\":0,\"posDeg\":" + zeros(7, "0.0") + ",\"robot\":1}\n"},
        {0x7012, json(R"({"coord":0,"robot":1})"), 0x7013,
         "{\"coord\":0,\"posSync\":" + zeros(5, "0.0") + ",\"robot\":1}\n"},
        // The socket state is echoed; in teach mode with the servo stopped no job starts, and none
        // runs to stop.
        {0x50B1, json(R"({"open":true,"robot":1})"), 0x50B3, json(R"({"open":true,"robot":1})")},
        {0x50B1, json(R"({"open":false,"robot":1})"), 0x50B3, json(R"({"open":false,"robot":1})")},
        {0x2501, json(R"({"continueRun":0,"jobname":"J","line":1,"robot":1})"), 0x3D03,
         json(R"({"robot":1,"status":0})")},
        {0x2401, json(R"({"robot":1,"type":1})"), 0x3D03, json(R"({"robot":1,"status":0})")},
    };
    for (const Query& q : queries) {
        const std::optional<Frame> answer = client.ask(q.word, q.payload, q.reply);
        ASSERT_TRUE(answer) << std::hex << q.word;
        EXPECT_EQ(answer->payload, q.expected) << std::hex << q.word;
    }

    // Hostile or wrong payloads: no robot 3, no such coordinate, not JSON, wrong types, huge
    // numbers. Nothing is answered to them, and the controller goes on answering.
    for (const QByteArray& bad :
         {json(R"({"robot":3})"), json(R"({"robot":"1","coord":9})"), QByteArray("{\"robot"),
          QByteArray("[1,2]"), json(R"({"robot":1e300,"coord":-1e300})")}) {
        client.send(0x2F07, bad);
        client.send(0x4501, bad);
        client.send(0x2001, bad);
    }
    client.send(0x3601, json(R"({"port":1e20,"status":"on"})"));
    const std::optional<Frame> refused = client.next(3000);
    ASSERT_TRUE(refused);  // the only answer: the outputs as they stand
    EXPECT_EQ(refused->command, 0x3603);
    EXPECT_FALSE(client.nextOf(0x2F08, 300));
    ASSERT_TRUE(client.ask(0x2102, "", 0x2103));
}

TEST(SimController, PushesEveryChangeToEveryClientAndAnswersARefusalToTheAskerAlone) {
    Controller c;
    SimClient asker;
    SimClient watcher;
    c.connect(asker);
    c.connect(watcher);
    asker.send(0x2101, json(R"({"mode":1})"));
    for (SimClient* client : {&asker, &watcher}) {
        EXPECT_EQ(payloadOf(client->nextOf(0x2103)), json(R"({"mode":1})"));
    }
    asker.send(0x3601, json(R"({"port":3,"status":1})"));
    const std::optional<Frame> inputs = watcher.nextOf(0x3606);  // wired back from the output
    ASSERT_TRUE(inputs);
    EXPECT_TRUE(inputs->payload.startsWith("{\"status\":[0,0,1,0,"));

    asker.send(0x2101, json(R"({"mode":7})"));
    EXPECT_EQ(payloadOf(asker.nextOf(0x2103)), json(R"({"mode":1})"));
    EXPECT_FALSE(watcher.nextOf(0x2103, 300));
}

TEST(SimController, SplitsItsFramesAndJoggingStopsWhenTheLastClientGoes) {
    Controller c;
    SimClient client;
    c.connect(client);

    c.sim.setSplitFrames(150);
    const qint64 asked = nowMs();
    EXPECT_EQ(payloadOf(client.ask(0x2102, "", 0x2103)), json(R"({"mode":0})"));
    EXPECT_GE(nowMs() - asked, 140);
    c.sim.setSplitFrames(0);

    client.send(0x2001, json(R"({"robot":1,"status":1})"));
    client.send(0x2301, json(R"({"deadman":1})"));
    ASSERT_TRUE(client.nextOf(0x2003));
    ASSERT_TRUE(client.nextOf(0x2003));
    ASSERT_TRUE(client.nextOf(0x2003));  // running
    client.send(0x2901, json(R"({"axis":1,"direction":1})"));
    ASSERT_TRUE(client.nextOf(0x2A03));  // under way
    bool jogging = false;
    c.sim.run([&](SimController& sim) { jogging = sim.cell()->robot(1).jogging(); });
    EXPECT_TRUE(jogging);
    client.close();
    ASSERT_TRUE(c.sim.waitForOpen(0, 3000));
    c.sim.run([&](SimController& sim) { jogging = sim.cell()->robot(1).jogging(); });
    EXPECT_FALSE(jogging);
}

TEST(SimController, PushModeReportsPositionAndInputsUnaskedUntilStopped) {
    Controller c(2);
    SimClient client;
    c.connect(client);
    ASSERT_TRUE(c.sim.setPushRate(20));
    EXPECT_FALSE(c.sim.setPushRate(-1));
    client.send(0x3601, json(R"({"port":2,"status":1})"));
    // Both robots each time, joint and Cartesian in turn; the inputs as they stand after the write.
    QList<QByteArray> positions;
    bool inputSeen = false;
    const qint64 start = nowMs();
    while (positions.size() < 8 && nowMs() - start < 5000) {
        const std::optional<Frame> frame = client.next(1000);
        ASSERT_TRUE(frame);
        if (frame->command == 0x2F08)
            positions.append(frame->payload.left(frame->payload.indexOf(",\"pos\"")));
        inputSeen |= frame->command == 0x3606 && frame->payload.startsWith("{\"status\":[0,1,");
    }
    EXPECT_TRUE(inputSeen);
    ASSERT_EQ(positions.size(), 8);
    const int first = positions[0] == "{\"coord\":0" ? 0 : 1;
    for (int i = 0; i < positions.size(); ++i)
        EXPECT_EQ(positions[i], "{\"coord\":" + QByteArray::number((first + i / 2) % 2)) << i;
    EXPECT_LT(nowMs() - start, 1500);

    ASSERT_TRUE(c.sim.setPushRate(0));
    while (client.next(200)) {
    }
    EXPECT_FALSE(client.nextOf(0x2F08, 300));
}
