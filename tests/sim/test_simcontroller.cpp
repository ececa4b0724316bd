// The simulated controller over real sockets: queries, pushed reports, motion, faults.

#include "link/frame.h"
#include "simcell.h"
#include "simclient.h"

#include <gtest/gtest.h>

using kelvo::Frame;
using namespace kelvo::sim;

static QByteArray json(const char* text) {
    return QByteArray(text) + '\n';
}

// Every query and its report are walked by the library's loopback tests against kelvo-sim; what
// only this test sends is hostile: no robot 3, no such coordinate, not JSON, wrong types, huge
// numbers. Nothing is answered to them, and the controller goes on answering.
TEST(SimController, AnswersNothingToHostilePayloadsAndGoesOn) {
    Controller c(2);
    SimClient client;
    c.connect(client);
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

TEST(SimController, EveryClientSeesEachChangeARefusalOnlyItsAskerAndJoggingEndsWithTheLast) {
    Controller c;
    SimClient asker, watcher;
    c.connect(asker);
    c.connect(watcher);
    asker.send(0x2101, json(R"({"mode":7})"));
    EXPECT_EQ(payloadOf(asker.nextOf(0x2103)), json(R"({"mode":0})"));
    EXPECT_FALSE(watcher.nextOf(0x2103, 300));
    asker.send(0x2001, json(R"({"robot":1,"status":1})"));
    asker.send(0x2301, json(R"({"deadman":1})"));
    for (const char* servo : {"ready", "switch pressed", "running"})
        ASSERT_TRUE(watcher.nextOf(0x2003)) << servo;
    asker.send(0x2901, json(R"({"axis":1,"direction":1})"));
    ASSERT_TRUE(asker.nextOf(0x2A03));  // under way
    const auto jogging = [&c] {
        bool on = false;
        c.sim.run([&](SimController& sim) { on = sim.cell()->robot(1).jogging(); });
        return on;
    };
    asker.close();
    ASSERT_TRUE(c.sim.waitForOpen(1, 3000));
    EXPECT_TRUE(jogging());
    watcher.close();
    ASSERT_TRUE(c.sim.waitForOpen(0, 3000));
    EXPECT_FALSE(jogging());
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
