// A host that has its own QCoreApplication: the library lives in the calling thread, queries are
// answered without the host's event loop, and queued reports arrive when the host processes
// events.

#include "apitest.h"

#include <QCoreApplication>

TEST(QtHost, QueriesNeedNoEventLoopAndQueuedReportsWaitForTheHostsEvents) {
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    SimProcess sim("127.0.6.13");
    connectTo(sim, "127.0.6.13");
    EXPECT_TRUE(is_connected());

    ASSERT_TRUE(sim.reply(0x2202, 0x2203, json(R"({"coord":2,"robot":1})")));
    EXPECT_EQ(get_current_coord(), 2);
    expectNextFrame(sim, 0x2202, json(R"({"robot":1})"));

    ASSERT_TRUE(sim.report(word::kChangeRobotReport, json(R"({"mode":1,"robot":2})")));
    sleepMs(500);
    set_current_coord(1);
    expectNextFrame(sim, 0x2201, json(R"({"coord":1,"robot":1})"), "before the host's events");

    QCoreApplication::processEvents();
    set_current_coord(1);
    expectNextFrame(sim, 0x2201, json(R"({"coord":1,"robot":2})"), "after the host's events");
}
