// A connect that finds no controller gives false after about five seconds and leaves the link
// stopped: a controller that appears later is never contacted.

#include "apitest.h"

TEST(FailedConnect, FalseAfterAboutFiveSecondsAndTheLinkStaysStopped) {
    bool connected = true;
    const long long took = elapsedMs([&] { connected = connect_robot("127.0.6.11"); });
    EXPECT_FALSE(connected);
    EXPECT_GE(took, 4500);
    EXPECT_LT(took, 9000);
    EXPECT_FALSE(is_connected());

    SimProcess sim("127.0.6.11");
    ASSERT_TRUE(sim.listening());
    EXPECT_FALSE(connect_robot("127.0.6.11"));
    set_dout(1, 1);
    sleepMs(4000);  // more than two of the link's check ticks
    EXPECT_EQ(sim.accepted(), 0);
    EXPECT_FALSE(is_connected());
}
