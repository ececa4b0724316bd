// get_current_position through the exported API against kelvo-sim on loopback, from one host
// thread and from four, beside a raw blocking-socket ping-pong of the same frame sizes. The host
// is a customer's: no Qt application object, only kelvo.h; the simulator runs as a child process.
#include "hostbench.h"
#include "kelvo.h"
#include "rawpingpong.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr char kAddress[] = "127.0.6.250";
constexpr uint16_t kQueryPosition = 0x2F07;
constexpr uint16_t kPositionReport = 0x2F08;
constexpr int kFrameOverhead = 10;  // magic, length, command word, CRC
// What the library asks, and a full answer as a controller sends it.
const std::string kQueryPayload = "{\"coord\":0,\"robot\":1}\n";
const std::string kReplyPayload =
    "{\"coord\":0,\"pos\":[0.50,10.250,-20.0,30.0,40.0,50.0,0.0],"
    "\"posDeg\":[1.0,2.0,3.0,4.0,5.0,6.0,0.0],\"robot\":1}\n";

void BM_ApiGetCurrentPosition(benchmark::State& state) {
    double pos[6];
    for (auto _ : state) {
        get_current_position(pos, 0);
        benchmark::DoNotOptimize(pos);
    }
}

void BM_RawPingPong(benchmark::State& state) {
    kelvo::bench::RawPingPong pingPong(kFrameOverhead + static_cast<int>(kQueryPayload.size()),
                                       kFrameOverhead + static_cast<int>(kReplyPayload.size()));
    for (auto _ : state) {
        if (!pingPong.roundTrip()) {
            state.SkipWithError("raw socket failed");
            break;
        }
    }
}

void oneAndFourThreads(benchmark::internal::Benchmark* benchmark) {
    benchmark->Threads(1)->Threads(4)->UseRealTime()->Unit(benchmark::kMicrosecond);
    benchmark->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_ApiGetCurrentPosition)->Apply(oneAndFourThreads);
BENCHMARK(BM_RawPingPong)->Apply(oneAndFourThreads);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runAgainstSim(argc, argv, kAddress, [](SimProcess& sim) {
        return sim.reply(kQueryPosition, kPositionReport, kReplyPayload)
                   ? std::string()
                   : std::string("kelvo-sim took no reply rule");
    });
}
