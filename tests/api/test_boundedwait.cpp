// A query that gets no answer returns the cached values within the reply bound, and at once while
// the link is down; one log line each time.

#include "apitest.h"

#include <algorithm>

TEST(BoundedWait, AnUnansweredQueryReturnsTheCacheAfterTheBoundAndAtOnceWhenTheLinkIsDown) {
    StderrCapture log;
    SimProcess sim("127.0.6.7");
    connectTo(sim, "127.0.6.7");
    ASSERT_TRUE(sim.command("mode silent"));

    set_reply_timeout(500);
    set_reply_timeout(-1);  // ignored
    double values[16];
    std::fill(std::begin(values), std::end(values), 7.0);
    const long long waited = elapsedMs([&] { get_dout(values); });
    EXPECT_GE(waited, 450);
    EXPECT_LT(waited, 2500);
    EXPECT_TRUE(std::all_of(std::begin(values), std::end(values), [](double v) { return v == 0; }));
    EXPECT_EQ(log.count("kelvo.api: get_dout: no answer within 500 ms, cached values returned"), 1);
    EXPECT_EQ(get_current_mode(), 0);

    sim.stop();
    for (int i = 0; i < 100 && is_connected(); ++i)
        sleepMs(100);
    ASSERT_FALSE(is_connected());
    EXPECT_LT(elapsedMs([&] { get_ain(values); }), 200);
    EXPECT_EQ(log.count("kelvo.api: get_ain: link down, cached values returned"), 1);
    EXPECT_EQ(servo_power_on(), 0) << "the cached servo status is 1, but nothing was confirmed";
}
