// Requests: the exact frame of every request export, and the states that suppress a send.

#include "apitest.h"
#include "decimalcommalocale.h"

#include <functional>

namespace {

struct Request {
    const char* what;
    std::function<void()> call;
    uint16_t command;
    std::string payload;
};

const double kP1[6] = {1, 2, 3, 4, 5, 6};
const double kP2[6] = {-0.5, 0.25, 1.125, 100, 1e-7, 0};
const double kP3[6] = {10, 20, 30, 40, 50, 60};

const std::string kP1Text = "[1.0,2.0,3.0,4.0,5.0,6.0]";
const std::string kP2Text = "[-0.50,0.250,1.1250,100.0,0.00000010,0.0]";
const std::string kP3Text = "[10.0,20.0,30.0,40.0,50.0,60.0]";

std::string circle(bool full) {
    return json(R"({"coord":1,"isFull":)" + std::string(full ? "true" : "false") + R"(,"posOne":)" +
                kP1Text + R"(,"posThree":)" + kP3Text + R"(,"posTwo":)" + kP2Text +
                R"(,"robot":1,"vel":30})");
}

// start_jogging as hosts in other languages call it: true may come as any non-zero byte. Like a
// foreign-function binding, the call goes through an untyped function pointer.
void jogWithByte(int axis, unsigned char positive) {
    const auto untyped = reinterpret_cast<void (*)()>(&start_jogging);
    reinterpret_cast<void (*)(int, unsigned char)>(untyped)(axis, positive);
}

// With servo status 3 (running, jogging allowed) in teach mode.
const Request kRequests[] = {
    {"set_dout", [] { set_dout(3, 1); }, 0x3601, json(R"({"port":3,"status":1})")},
    {"set_aout", [] { set_aout(1, 2.5); }, 0x3607, json(R"({"port":1,"value":2.50})")},
    {"robot_movj", [] { robot_movj(kP1, 50, 0); }, 0x4501,
     json(R"({"coord":0,"pos":)" + kP1Text + R"(,"robot":1,"vel":50})")},
    {"robot_movl", [] { robot_movl(kP1, 50, 0); }, 0x4502,
     json(R"({"coord":0,"pos":)" + kP1Text + R"(,"robot":1,"vel":50})")},
    {"robot_movc", [] { robot_movc(kP1, kP2, kP3, 30, 1); }, 0x4503, circle(false)},
    {"robot_movca", [] { robot_movca(kP1, kP2, kP3, 30, 1); }, 0x4503, circle(true)},
    {"start_jogging +", [] { start_jogging(8, true); }, 0x2901,
     json(R"({"axis":8,"direction":1})")},
    {"start_jogging -", [] { start_jogging(1, false); }, 0x2901,
     json(R"({"axis":1,"direction":-1})")},
    {"start_jogging 12", [] { start_jogging(12, true); }, 0x2901,
     json(R"({"axis":12,"direction":1})")},
    {"start_jogging byte 2", [] { jogWithByte(3, 2); }, 0x2901,
     json(R"({"axis":3,"direction":1})")},
    {"start_jogging byte 255", [] { jogWithByte(3, 255); }, 0x2901,
     json(R"({"axis":3,"direction":1})")},
    {"stop_jogging 0", [] { stop_jogging(0); }, 0x2902, json(R"({"axis":0})")},
    {"set_jogging_speed 150", [] { set_jogging_speed(150); }, 0x2601,
     json(R"({"robot":1,"speed":103})")},
    {"set_jogging_speed -5", [] { set_jogging_speed(-5); }, 0x2601,
     json(R"({"robot":1,"speed":0})")},
    {"set_jogging_speed 102", [] { set_jogging_speed(102); }, 0x2601,
     json(R"({"robot":1,"speed":102})")},
    {"set_current_mode", [] { set_current_mode(1); }, 0x2101, json(R"({"mode":1})")},
    {"set_current_coord", [] { set_current_coord(2); }, 0x2201, json(R"({"coord":2,"robot":1})")},
    {"servo_power_off", [] { servo_power_off(); }, 0x2301, json(R"({"deadman":0})")},
};

void reportServo(SimProcess& sim, int status) {
    ASSERT_TRUE(sim.report(word::kServoReport, json(R"({"mode":1,"robot":1,"status":)" +
                                                    std::to_string(status) + "}")));
    settle(sim);
}

void reportMode(SimProcess& sim, int mode) {
    ASSERT_TRUE(sim.report(word::kModeReport, json(R"({"mode":)" + std::to_string(mode) + "}")));
    settle(sim);
}

void expectEveryRequestFrame(SimProcess& sim) {
    reportServo(sim, 3);
    for (const Request& request : kRequests) {
        request.call();
        expectNextFrame(sim, request.command, request.payload, request.what);
    }
}

}  // namespace

TEST(Requests, EveryRequestSendsItsExactFrameAndTheStateSuppressesWhatItMust) {
    SimProcess sim("127.0.6.2");
    connectTo(sim, "127.0.6.2");
    expectEveryRequestFrame(sim);

    start_jogging(0, true);
    start_jogging(13, false);
    start_jogging(-1, true);
    expectNothingSent(sim, "start_jogging outside axes 1 to 12");

    for (const int status : {0, 1, 2}) {
        reportServo(sim, status);
        start_jogging(1, true);
        expectNothingSent(sim, "start_jogging at servo status " + std::to_string(status));
    }
    for (const int status : {0, 2}) {
        reportServo(sim, status);
        servo_power_off();
        expectNothingSent(sim, "servo_power_off at servo status " + std::to_string(status));
    }
    reportServo(sim, 3);
    for (const int mode : {1, 2}) {
        reportMode(sim, mode);
        servo_power_off();
        expectNothingSent(sim, "servo_power_off in mode " + std::to_string(mode));
    }
}

TEST(Requests, UnderADecimalCommaLocaleEveryRequestSendsTheSameFrame) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    locale.useEverywhere();
    SimProcess sim("127.0.6.41");
    connectTo(sim, "127.0.6.41");
    expectEveryRequestFrame(sim);
}

TEST(Requests, ASecondConnectIsRefusedAtOnceWhileTheFirstLinkIsUp) {
    SimProcess sim("127.0.6.3");
    connectTo(sim, "127.0.6.3");
    EXPECT_LT(elapsedMs([] { EXPECT_FALSE(connect_robot("127.0.6.3")); }), 100);
    EXPECT_LT(elapsedMs([] { EXPECT_FALSE(connect_robot(nullptr)); }), 100);
    EXPECT_TRUE(is_connected());
    set_dout(1, 0);
    expectNextFrame(sim, 0x3601, json(R"({"port":1,"status":0})"));
    EXPECT_EQ(sim.accepted(), 1);
}
