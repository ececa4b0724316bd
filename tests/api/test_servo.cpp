// servo_power_on in and outside teach mode.

#include "apitest.h"
#include "stderrcapture.h"

namespace {

constexpr uint16_t kSetServo = 0x2001;
constexpr uint16_t kSetDeadman = 0x2301;

}  // namespace

TEST(Servo, PowerOnSendsTheDeadmanOnlyInTeachModeAndReportsTheServoStateThatFollows) {
    StderrCapture log;
    SimProcess sim("127.0.6.5");
    connectTo(sim, "127.0.6.5");

    // Teach mode, servo ready: the servo message and the enabling switch, then the answer.
    ASSERT_TRUE(
        sim.reply(kSetServo, word::kServoReport, json(R"({"mode":1,"robot":1,"status":1})")));
    EXPECT_EQ(servo_power_on(), 1);
    expectNextFrame(sim, kSetServo, json(R"({"robot":1,"status":1})"));
    expectNextFrame(sim, kSetDeadman, json(R"({"deadman":1})"));

    // Remote mode: the servo message only; it still waits for the answer.
    ASSERT_TRUE(sim.report(word::kModeReport, json(R"({"mode":1})")));
    settle(sim);
    EXPECT_EQ(servo_power_on(), 1);
    expectNextFrame(sim, kSetServo, json(R"({"robot":1,"status":1})"));
    expectNothingSent(sim, "servo_power_on in remote mode");

    // An answer that leaves the servo off: 0 and one line with both states.
    ASSERT_TRUE(
        sim.reply(kSetServo, word::kServoReport, json(R"({"mode":1,"robot":1,"status":0})")));
    EXPECT_EQ(servo_power_on(), 0);
    expectNextFrame(sim, kSetServo, json(R"({"robot":1,"status":1})"));
    EXPECT_EQ(log.countContaining("deadman"), 1);
}
