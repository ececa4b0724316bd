// The flat exports: the exact frame of every request, the question each getter sends and what it
// reads back from the answer, and all of them before a connect. The states that hold a request
// back are the robot's tests'.

#include "apitest.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

struct Request {
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
    {[] { set_dout(3, 1); }, 0x3601, json(R"({"port":3,"status":1})")},
    {[] { set_aout(1, 2.5); }, 0x3607, json(R"({"port":1,"value":2.50})")},
    {[] { robot_movj(kP1, 50, 0); }, 0x4501,
     json(R"({"coord":0,"pos":)" + kP1Text + R"(,"robot":1,"vel":50})")},
    {[] { robot_movl(kP1, 50, 0); }, 0x4502,
     json(R"({"coord":0,"pos":)" + kP1Text + R"(,"robot":1,"vel":50})")},
    {[] { robot_movc(kP1, kP2, kP3, 30, 1); }, 0x4503, circle(false)},
    {[] { robot_movca(kP1, kP2, kP3, 30, 1); }, 0x4503, circle(true)},
    {[] { start_jogging(8, true); }, 0x2901, json(R"({"axis":8,"direction":1})")},
    {[] { jogWithByte(3, 2); }, 0x2901, json(R"({"axis":3,"direction":1})")},
    {[] { jogWithByte(3, 255); }, 0x2901, json(R"({"axis":3,"direction":1})")},
    {[] { set_jogging_speed(150); }, 0x2601, json(R"({"robot":1,"speed":103})")},
    {[] { set_jogging_speed(-5); }, 0x2601, json(R"({"robot":1,"speed":0})")},
    {[] { set_jogging_speed(102); }, 0x2601, json(R"({"robot":1,"speed":102})")},
    {[] { set_current_mode(1); }, 0x2101, json(R"({"mode":1})")},
    {[] { set_current_coord(2); }, 0x2201, json(R"({"coord":2,"robot":1})")},
};

constexpr double kUntouched = -7.5;

struct ArrayQuery {
    const char* what;
    void (*call)(double* out);
    uint16_t query;
    std::string queryPayload;
    uint16_t reply;
    std::string replyPayload;
    std::vector<double> expected;
};

const std::string k20Ints = "[1,0,1,1,0,0,0,1,1,1,0,1,0,1,0,1,1,1,1,1]";
const std::vector<double> kFirst16 = {1, 0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1};
// Analog values written as reals, which the library reads as integers: fractions are cut.
const std::string k20Reals =
    "[0.50,1.250,-2.50,10.0,0.00000010,3.1250,0.0,7,-0.250,4.750,1e3,1.5e2,2.0,9.50,0.10,6.0,"
    "1.0,2.0,3.0,4.0]";
const std::vector<double> kFirst16Cut = {0, 1, -2, 10, 0, 3, 0, 7, 0, 4, 1000, 150, 2, 9, 0, 6};
const std::vector<double> kPosition = {1.5, -2, 3, 4, 5, 6.25};
const std::vector<double> kSync = {9, 8, 7, 6, 5};

const ArrayQuery kArrayQueries[] = {
    {"get_dout", get_dout, 0x3602, "", 0x3603, json(R"({"status":)" + k20Ints + "}"), kFirst16},
    {"get_din", get_din, 0x3605, "", 0x3606, json(R"({"status":)" + k20Ints + "}"), kFirst16},
    {"get_aout", get_aout, 0x3608, "", 0x3609, json(R"({"value":)" + k20Reals + "}"), kFirst16Cut},
    {"get_ain", get_ain, 0x360A, "", 0x360B, json(R"({"value":)" + k20Reals + "}"), kFirst16Cut},
    {"get_current_position", [](double* out) { get_current_position(out, 1); }, 0x2F07,
     json(R"({"coord":1,"robot":1})"), 0x2F08,
     json(R"({"coord":1,"pos":[1.5,-2,3,4,5,6.25,7],"robot":1})"), kPosition},
    {"get_current_sync_position", get_current_sync_position, 0x7012,
     json(R"({"coord":0,"robot":1})"), 0x7013,
     json(R"({"coord":0,"posSync":[9,8,7,6,5,4],"robot":1})"), kSync},
};

struct ValueQuery {
    const char* what;
    int (*call)();
    uint16_t query;
    std::string queryPayload;
    uint16_t reply;
    std::string replyPayload;
    int expected;
};

const ValueQuery kValueQueries[] = {
    {"get_robot_running_state", get_robot_running_state, 0x3D02, json(R"({"robot":1})"), 0x3D03,
     json(R"({"robot":1,"status":2})"), 2},
    {"get_jogging_speed", get_jogging_speed, 0x2602, json(R"({"robot":1})"), 0x2603,
     json(R"({"robot":1,"speed":101})"), 101},
    {"get_current_coord", get_current_coord, 0x2202, json(R"({"robot":1})"), 0x2203,
     json(R"({"coord":200,"robot":1})"), 200},
    {"get_current_mode", get_current_mode, 0x2102, "", 0x2103, json(R"({"mode":2})"), 2},
};

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kGood[6] = {1, 2, 3, 4, 5, 6};
const double kNanAt5[6] = {1, 2, 3, 4, 5, kNan};
const double kInfAt0[6] = {-kInf, 2, 3, 4, 5, 6};

// The log line each call gives before ", nothing sent"; empty: the call logs nothing.
const std::pair<const char*, std::function<void()>> kRefused[] = {
    {"",
     [] {
         for (auto get : {get_dout, get_din, get_aout, get_ain, get_current_sync_position})
             get(nullptr);
         get_current_position(nullptr, 0);
         show_log(nullptr);
         const LogText t{nullptr};
         show_log(&t);
     }},
    {"robot_movj: no target given", [] { robot_movj(nullptr, 1, 0); }},
    {"robot_movc: no target given", [] { robot_movc(kGood, nullptr, kGood, 1, 0); }},
    {"robot_movj: target not finite", [] { robot_movj(kNanAt5, 1, 0); }},
    {"robot_movl: target not finite", [] { robot_movl(kInfAt0, 1, 0); }},
    {"robot_movc: target not finite", [] { robot_movc(kGood, kGood, kNanAt5, 1, 0); }},
    {"robot_movca: target not finite", [] { robot_movca(kInfAt0, kGood, kGood, 1, 0); }},
    {"set_aout: value not finite", [] { set_aout(1, kNan); }},
    {"set_aout: value not finite", [] { set_aout(1, kInf); }},
};

constexpr int kBurstCommands = 100;
constexpr int kBytesPerCommand = 60000;

// Sums "head error, N bytes skipped" over the lines.
long long skippedBytes(const std::vector<std::string>& lines) {
    const std::string marker = "head error, ";
    long long total = 0;
    for (const std::string& line : lines) {
        const size_t at = line.find(marker);
        if (at != std::string::npos)
            total += std::stoll(line.substr(at + marker.size()));
    }
    return total;
}

}  // namespace

// Connected: every request's exact frame and every getter's elements; null pointers and values
// that are not finite send nothing and log once; a false header and a garbage burst cost no answer
// and write no flood of lines.
TEST(Requests, ExactFramesRefusedArgumentsAndNoiseCostNoAnswer) {
    SimProcess sim("127.0.6.2");
    StderrCapture log;
    connectTo(sim, "127.0.6.2");
    ASSERT_TRUE(sim.report(word::kServoReport, json(R"({"mode":1,"robot":1,"status":3})")));
    settle(sim);
    for (const Request& request : kRequests) {
        request.call();
        expectNextFrame(sim, request.command, request.payload,
                        "request " + std::to_string(&request - kRequests));
    }
    for (const ArrayQuery& q : kArrayQueries) {
        SCOPED_TRACE(q.what);
        ASSERT_TRUE(sim.reply(q.query, q.reply, q.replyPayload));
        std::vector<double> out(q.expected.size() + 4, kUntouched);
        q.call(out.data());
        expectNextFrame(sim, q.query, q.queryPayload);
        EXPECT_TRUE(std::equal(q.expected.begin(), q.expected.end(), out.begin()));
        EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(q.expected.size()), out.end(),
                                [](double v) { return v == kUntouched; }));
    }
    for (const ValueQuery& q : kValueQueries) {
        SCOPED_TRACE(q.what);
        ASSERT_TRUE(sim.reply(q.query, q.reply, q.replyPayload));
        EXPECT_EQ(q.call(), q.expected);
        expectNextFrame(sim, q.query, q.queryPayload);
    }
    // A second connect is refused at once, and the first link stays.
    EXPECT_LT(elapsedMs([] { EXPECT_FALSE(connect_robot("127.0.6.2")); }), 100);
    EXPECT_LT(elapsedMs([] { EXPECT_FALSE(connect_robot(nullptr)); }), 100);
    EXPECT_TRUE(is_connected());
    EXPECT_EQ(sim.accepted(), 1);
    for (const auto& [line, call] : kRefused)
        expectRefused(sim, line, call);

    const LogText text{"ready \xE2\x9C\x93 \"quoted\""};
    show_log(&text);
    EXPECT_EQ(log.count("kelvo.log: \"ready \xE2\x9C\x93 \\\"quoted\\\"\""), 1);
    ASSERT_TRUE(sim.reply(0x2602, 0x2603, json(R"({"robot":1,"speed":61})")));
    ASSERT_TRUE(sim.command("raw " + consoleEscape("\x4E\x66\xFF\xF0")));
    int answer = 0;
    EXPECT_LT(elapsedMs([&] { answer = get_jogging_speed(); }), 1000);
    EXPECT_EQ(answer, 61);
    EXPECT_EQ(log.count("length error, 4 bytes skipped", true), 1);

    ASSERT_TRUE(sim.reply(0x2602, 0x2603, json(R"({"robot":1,"speed":62})")));
    for (int i = 0; i < kBurstCommands; ++i)
        ASSERT_TRUE(sim.command("garbage " + std::to_string(kBytesPerCommand)));
    EXPECT_LT(elapsedMs([&] { answer = get_jogging_speed(); }), 1000);
    EXPECT_EQ(answer, 62);

    // Every byte is told, in a few lines: heartbeat answers cut the burst into runs.
    EXPECT_EQ(skippedBytes(log.lines()), 1LL * kBurstCommands * kBytesPerCommand);
    EXPECT_LE(log.count("head error", true), 10);
}

// Before connect_robot every call returns at once, sends nothing and writes nothing. A connect that
// finds no controller gives false after about five seconds and leaves the link stopped: a
// controller that appears later is never contacted.
TEST(FailedConnect, CallsBeforeReturnAtOnceAndAConnectWithoutControllerLeavesTheLinkStopped) {
    StderrCapture log;
    std::vector<double> values(16, kUntouched);
    const LogText text{"not written"};
    const long long took = elapsedMs([&] {
        EXPECT_FALSE(is_connected());
        set_reply_timeout(100);
        EXPECT_EQ(servo_power_on(), 0);
        servo_power_off();
        stop_jogging(1);
        show_log(&text);
        for (const Request& request : kRequests)
            request.call();
        for (const ArrayQuery& q : kArrayQueries)
            q.call(values.data());
        for (const ValueQuery& q : kValueQueries)
            EXPECT_EQ(q.call(), -1) << q.what;
    });
    EXPECT_LT(took, 100);
    EXPECT_EQ(values, std::vector<double>(16, kUntouched));
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
