// One query-and-wait round trip (request -> simulator -> report -> wake -> copy-out) on loopback,
// beside a raw blocking socket that sends the same query to the same simulator and reads the same
// report: the difference is what the library's threads, dispatch and wake cost.
#include "benchsupport.h"
#include "link/frame.h"
#include "link/framedecoder.h"
#include "rawsockets.h"
#include "simlink.h"

#include <QDeadlineTimer>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

constexpr quint16 kQuery = 0x2F07;
constexpr quint16 kReport = 0x2F08;
const QByteArray kQueryPayload = "{\"coord\":0,\"robot\":1}\n";
const QByteArray kReportPayload =
    "{\"coord\":0,\"pos\":[10.5,20.25,30.125,0.0,90.0,0.0,0.0],"
    "\"posDeg\":[1.0,2.0,3.0,4.0,5.0,6.0,7.0],\"robot\":1}\n";

// One simulator answering every position query with the same report, and one Robot linked to it.
class Rig {
public:
    Rig() {
        sim.setReply(kQuery, kReport, kReportPayload);
        sim.start();
        robot = linkRobot(sim);
    }

    kelvo::sim::SimHarness sim;
    std::unique_ptr<Robot> robot;
};

void BM_QueryAndWait(benchmark::State& state) {
    Robot& robot = *kelvo::bench::sharedRig<Rig>().robot;
    if (!robot.connected()) {
        state.SkipWithError("no link to the simulator");
        return;
    }
    double position[6];
    for (auto _ : state) {
        Answer answer;
        if (robot.ask({AnswerKind::Position, 1, 0}, [&] { return robot.queryCurrentPosition(0); },
                      QDeadlineTimer(5000), &answer) != Robot::Asked::Answered) {
            state.SkipWithError("no answer");
            break;
        }
        std::copy_n(answer.values.begin(), 6, position);
        benchmark::DoNotOptimize(position);
    }
}

// A blocking client with Nagle off: write the query frame, read until the report frame is cut.
class RawClient {
public:
    explicit RawClient(quint16 port) : fd_(kelvo::bench::connectToLoopback(port)) {
        kelvo::bench::noDelay(fd_);
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool roundTrip(const QByteArray& query) {
        if (!kelvo::bench::sendAll(fd_, query.constData(), static_cast<size_t>(query.size())))
            return false;
        kelvo::Frame frame;
        char buffer[4096];
        while (!decoder_.next(&frame) || frame.command != kReport) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            decoder_.append(buffer, n);
        }
        return true;
    }

private:
    int fd_;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
};

void BM_RawSocketRoundTrip(benchmark::State& state) {
    RawClient client(kelvo::bench::sharedRig<Rig>().sim.port());
    const QByteArray query = kelvo::encodeFrame(kQuery, kQueryPayload);
    for (auto _ : state) {
        if (!client.roundTrip(query)) {
            state.SkipWithError("raw socket failed");
            break;
        }
    }
}

void medians(benchmark::internal::Benchmark* benchmark) {
    benchmark->UseRealTime()->Unit(benchmark::kMicrosecond);
    benchmark->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_RawSocketRoundTrip)->Apply(medians);
BENCHMARK(BM_QueryAndWait)->Apply(medians);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runWithQt(argc, argv);
}
