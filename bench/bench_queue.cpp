// send_continuous_motion_queue with the largest queue that fits one frame: the time to build its
// JSON from the caller's points and hand the frame to the link, as points per second. The host is
// a customer's (only kelvo.h); kelvo-sim runs as a child process and takes each frame before the
// next call, so the socket never backs up.
#include "hostbench.h"
#include "kelvo.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr char kAddress[] = "127.0.11.250";
constexpr uint16_t kQueue = 0x50B4;
constexpr uint16_t kStopJog = 0x2902;
constexpr int kMarkerAxis = 9999;

SimProcess* sim = nullptr;
std::vector<ContinuousMotionPoint> path;

// Linear moves along a helix, joint values with all the digits a real path has.
std::vector<ContinuousMotionPoint> helix(size_t count) {
    std::vector<ContinuousMotionPoint> points(count);
    for (size_t i = 0; i < count; ++i) {
        const double t = 0.05 * static_cast<double>(i);
        ContinuousMotionPoint& p = points[i];
        p.type = 2;
        p.velocity = 250;
        p.acc = 80;
        p.dec = 80;
        p.pl = 3;
        const double joints[6] = {
            30 * std::sin(t), -15 + 10 * std::cos(t),    20 + t,
            0.5 * t,          -45 + 5 * std::sin(2 * t), 90 * std::cos(t / 3)};
        std::copy(std::begin(joints), std::end(joints), p.pos);
    }
    return points;
}

// Whether a queue of count points went out: the marker sent after it tells a refusal apart.
bool sent(const std::vector<ContinuousMotionPoint>& points, unsigned int count) {
    send_continuous_motion_queue(points.data(), count);
    stop_jogging(kMarkerAxis);
    std::optional<WireFrame> frame = sim->nextFrame();
    const bool queued = frame && frame->command == kQueue;
    if (queued)
        frame = sim->nextFrame();
    return queued && frame && frame->command == kStopJog;
}

// The largest count that still fits a frame, by bisection.
unsigned int largestFitting(const std::vector<ContinuousMotionPoint>& points) {
    unsigned int fits = 0;
    unsigned int refused = static_cast<unsigned int>(points.size());
    while (refused - fits > 1) {
        const unsigned int middle = fits + (refused - fits) / 2;
        (sent(points, middle) ? fits : refused) = middle;
    }
    return fits;
}

void BM_SendLargestQueue(benchmark::State& state) {
    const auto count = static_cast<unsigned int>(path.size());
    size_t bytes = 0;
    for (auto _ : state) {
        send_continuous_motion_queue(path.data(), count);
        state.PauseTiming();
        const std::optional<WireFrame> frame = sim->nextFrame();
        if (!frame || frame->command != kQueue) {
            state.SkipWithError("the queue did not arrive");
            break;
        }
        bytes = frame->payload.size();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * count);
    state.counters["points"] = count;
    state.counters["payload_bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_SendLargestQueue)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runAgainstSim(argc, argv, kAddress, [](SimProcess& simulator) {
        sim = &simulator;
        const std::vector<ContinuousMotionPoint> candidates = helix(400);
        path.assign(candidates.begin(), candidates.begin() + largestFitting(candidates));
        return path.empty() ? std::string("no queue went out") : std::string();
    });
}
