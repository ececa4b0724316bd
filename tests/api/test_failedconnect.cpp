// Before connect_robot every call returns at once, sends nothing and writes nothing. A connect that
// finds no controller gives false after about five seconds and leaves the link stopped: a
// controller that appears later is never contacted.

#include "apitest.h"

#include <algorithm>

TEST(FailedConnect, CallsBeforeReturnAtOnceAndAConnectWithoutControllerLeavesTheLinkStopped) {
    StderrCapture log;
    double values[16];
    std::fill(std::begin(values), std::end(values), 42.0);
    const double pos[6] = {1, 2, 3, 4, 5, 6};
    const LogText text{"not written"};

    const long long took = elapsedMs([&] {
        EXPECT_FALSE(is_connected());
        set_reply_timeout(100);
        EXPECT_EQ(servo_power_on(), 0);
        servo_power_off();
        start_jogging(1, true);
        stop_jogging(1);
        show_log(&text);
        set_dout(1, 1);
        set_aout(1, 1.0);
        get_dout(values);
        get_din(values);
        get_aout(values);
        get_ain(values);
        get_current_position(values, 0);
        get_current_sync_position(values);
        EXPECT_EQ(get_robot_running_state(), -1);
        robot_movj(pos, 1, 0);
        robot_movl(pos, 1, 0);
        robot_movc(pos, pos, pos, 1, 0);
        robot_movca(pos, pos, pos, 1, 0);
        set_jogging_speed(5);
        EXPECT_EQ(get_jogging_speed(), -1);
        set_current_mode(1);
        EXPECT_EQ(get_current_mode(), -1);
        set_current_coord(1);
        EXPECT_EQ(get_current_coord(), -1);
    });
    EXPECT_LT(took, 100);
    EXPECT_TRUE(
        std::all_of(std::begin(values), std::end(values), [](double v) { return v == 42; }));
    EXPECT_TRUE(log.lines().empty());

    bool connected = true;
    const long long failed = elapsedMs([&] { connected = connect_robot("127.0.6.11"); });
    EXPECT_FALSE(connected);
    EXPECT_GE(failed, 4500);
    EXPECT_LT(failed, 9000);
    EXPECT_FALSE(is_connected());

    SimProcess sim("127.0.6.11");
    ASSERT_TRUE(sim.listening());
    EXPECT_FALSE(connect_robot("127.0.6.11"));
    set_dout(1, 1);
    sleepMs(4000);  // more than two of the link's check ticks
    EXPECT_EQ(sim.accepted(), 0);
    EXPECT_FALSE(is_connected());
}
