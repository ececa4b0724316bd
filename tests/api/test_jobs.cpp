// Jobs and the continuous-motion queue: the exact frames, the states that suppress them and the
// queues that are refused; then the bounded wait of an unanswered query.

#include "apitest.h"

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

constexpr uint16_t kRunJob = 0x2501;
constexpr uint16_t kStopJob = 0x2401;
constexpr uint16_t kMotionMode = 0x50B1;
constexpr uint16_t kQueue = 0x50B4;
constexpr int kMaxPayload = 65535;

// velocity 50, acc 80, dec 70.5, pl 2, spin 5, pos 1 to 19.
ContinuousMotionPoint point(int type) {
    ContinuousMotionPoint p{50, 80, 70.5, 2, 5, {}, type};
    for (int i = 0; i < 19; ++i)
        p.pos[i] = i + 1;
    return p;
}

// The instruction point(type) becomes: its type code, spin and the position values copied.
std::string instruction(int code, int spin, int values) {
    std::string data;
    for (int i = 0; i < 21; ++i)
        data += (i ? "," : "") + (i < values ? std::to_string(i + 1) + ".0" : std::string("0.0"));
    return R"({"RobotPos":{"ctype":80,"data":[)" + data +
           R"(],"key":0},"acc":80.0,"dec":70.50,"imovecoord":"UF","length":0.0,"logout":false,)"
           R"("margin":0.0,"para":0,"pl":2.0,"polish":0,"polishAngle":0.0,"polishID":1,)"
           R"("positionId":0,"radius":0.0,"side":0.0,"spin":)" +
           std::to_string(spin) + R"(,"sync":0,"type":)" + std::to_string(code) +
           R"(,"vUnit":0,"velocity":50.0,"width":0.0})";
}

std::string queue(const std::string& data) {
    return json(R"({"data":[)" + data + R"(],"robot":1})");
}

std::vector<ContinuousMotionPoint> points(std::initializer_list<int> types) {
    std::vector<ContinuousMotionPoint> list;
    for (const int type : types)
        list.push_back(point(type));
    return list;
}

void send(const std::vector<ContinuousMotionPoint>& points) {
    send_continuous_motion_queue(points.data(), static_cast<unsigned int>(points.size()));
}

void reportServo(SimProcess& sim, int status) {
    ASSERT_TRUE(sim.report(word::kServoReport, json(R"({"mode":1,"robot":1,"status":)" +
                                                    std::to_string(status) + "}")));
    settle(sim);
}

// The running state the library caches, set through its own query.
void setRunningState(SimProcess& sim, int status) {
    ASSERT_TRUE(sim.reply(word::kQueryRunStatus, word::kRunStatusReport,
                          json(R"({"robot":1,"status":)" + std::to_string(status) + "}")));
    ASSERT_EQ(get_robot_running_state(), status);
    const std::optional<WireFrame> query = sim.nextFrame();
    ASSERT_TRUE(query && query->command == word::kQueryRunStatus);
}

}  // namespace

// The queue first: the run and stop steps leave robot 2 selected.
TEST(Jobs, QueuesRunStopAndModeOnlyWhenWholeValidAndInTheirStatesAndUnansweredQueriesAreBounded) {
    SimProcess sim("127.0.11.1");
    connectTo(sim, "127.0.11.1");
    struct Type {
        int point, code, spin, values;
    };
    for (const Type& t :
         {Type{1, 1, 0, 13}, Type{2, 2, 0, 13}, Type{3, 3, 0, 13}, Type{4, 4, 5, 13},
          Type{5, 32, 0, 19}, Type{6, 33, 5, 19}, Type{7, 34, 5, 19}}) {
        send(points({t.point}));
        expectNextFrame(sim, kQueue, queue(instruction(t.code, t.spin, t.values)),
                        "point type " + std::to_string(t.point));
    }

    const std::string movj = instruction(1, 0, 13);
    const std::string movl = instruction(2, 0, 13);
    send(points({1, 9, 2}));
    expectNextFrame(sim, kQueue, queue(movj + ",null," + movl), "a gap reads null");
    send(points({0, -1, 1, 8, 8}));
    expectNextFrame(sim, kQueue, queue("null,null," + movj), "no elements after the last");
    for (const auto& none : {points({}), points({0, 8, 9})}) {
        send(none);
        expectNextFrame(sim, kQueue, json(R"({"robot":1})"), "no element: no data");
    }
    send_continuous_motion_queue(nullptr, 0);
    expectNextFrame(sim, kQueue, json(R"({"robot":1})"), "null and empty");

    // The largest queue of MOVJ points that fits a frame goes out whole; one more is refused.
    const int element = static_cast<int>(instruction(1, 0, 13).size());
    // The comma is counted per element.
    const int overhead = static_cast<int>(queue("").size()) - 1;
    const int fitting = (kMaxPayload - overhead) / (element + 1);
    std::vector<ContinuousMotionPoint> path(static_cast<size_t>(fitting), point(1));
    send(path);
    const std::optional<WireFrame> frame = sim.nextFrame();
    ASSERT_TRUE(frame && frame->command == kQueue);
    EXPECT_EQ(frame->payload.size(), static_cast<size_t>(overhead + fitting * (element + 1)));
    EXPECT_LE(frame->payload.size(), static_cast<size_t>(kMaxPayload));
    path.push_back(point(1));
    expectRefused(sim,
                  "send_continuous_motion_queue: payload of " +
                      std::to_string(overhead + (fitting + 1) * (element + 1)) +
                      " bytes exceeds the frame limit of 65535 bytes",
                  [&] { send(path); });

    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<ContinuousMotionPoint> bad = points({1, 2, 5, 1});
    bad[2].pos[18] = nan;
    expectRefused(sim, "send_continuous_motion_queue: point 2 not finite", [&] { send(bad); });
    bad = points({1, 2});
    bad[0].velocity = -std::numeric_limits<double>::infinity();
    expectRefused(sim, "send_continuous_motion_queue: point 0 not finite", [&] { send(bad); });
    expectRefused(sim, "send_continuous_motion_queue: no points given",
                  [] { send_continuous_motion_queue(nullptr, 3); });

    // Values a point does not carry over may be anything.
    bad = points({1, 9});
    bad[0].pos[13] = nan;
    bad[0].spin = -1;
    bad[1].velocity = nan;
    send(bad);
    expectNextFrame(sim, kQueue, queue(instruction(1, 0, 13)));

    reportServo(sim, 3);

    run_job("JOB1");
    expectNextFrame(sim, kRunJob, json(R"({"continueRun":0,"jobname":"JOB1","line":1,"robot":1})"));
    expectRefused(sim, "run_job: no job name given", [] { run_job(nullptr); });
    stop_job();
    expectNothingSent(sim, "stop_job while no job runs");

    setRunningState(sim, 2);
    run_job("JOB1");
    expectNothingSent(sim, "run_job while a job runs");
    stop_job();
    expectNextFrame(sim, kStopJob, json(R"({"robot":1,"type":1})"));

    reportServo(sim, 0);
    setRunningState(sim, 0);
    run_job("JOB1");
    expectNothingSent(sim, "run_job while the servo is stopped");

    // A base robot selected: the controller's robot 2, and no robot selected for teaching.
    reportServo(sim, 1);
    ASSERT_TRUE(sim.report(word::kChangeRobotReport, json(R"({"mode":1,"robot":2})")));
    settle(sim);
    run_job("J");
    expectNextFrame(sim, kRunJob, json(R"({"continueRun":0,"jobname":"J","line":1,"robot":2})"));
    setRunningState(sim, 2);
    stop_job();
    expectNextFrame(sim, kStopJob, json(R"({"robot":2,"type":1})"));

    continuous_motion_mode(1);
    expectNextFrame(sim, kMotionMode, json(R"({"open":true,"robot":2})"));
    expectNothingSent(sim, "continuous_motion_mode(1) sends one frame");
    for (const int open : {0, 2, -1}) {
        continuous_motion_mode(open);
        expectNextFrame(sim, kMotionMode, json(R"({"open":false,"robot":2})"));
        expectNextFrame(sim, 0x2101, json(R"({"mode":0})"), "then teach mode");
    }

    // A query that gets no answer returns the cached values within the reply bound, and at once
    // while the link is down; one log line each time.
    StderrCapture log;
    ASSERT_TRUE(sim.command("mode silent"));

    set_reply_timeout(500);
    set_reply_timeout(-1);  // ignored
    double values[16] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    const long long waited = elapsedMs([&] { get_dout(values); });
    EXPECT_GE(waited, 450);
    EXPECT_LT(waited, 2500);
    EXPECT_TRUE(std::all_of(std::begin(values), std::end(values), [](double v) { return v == 0; }));
    EXPECT_EQ(log.count("kelvo.api: get_dout: no answer within 500 ms, cached values returned"), 1);
    EXPECT_EQ(get_current_mode(), 0);

    sim.stop();
    ASSERT_TRUE(eventually([] { return !is_connected(); }, 10000));
    EXPECT_LT(elapsedMs([&] { get_ain(values); }), 200);
    EXPECT_EQ(log.count("kelvo.api: get_ain: link down, cached values returned"), 1);
    EXPECT_EQ(servo_power_on(), 0) << "the cached servo status is 1, but nothing was confirmed";
}
