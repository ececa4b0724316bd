// One query-and-wait round trip (request -> simulator -> report -> wake -> copy-out) on loopback,
// beside a raw blocking socket that sends the same query to the same simulator and reads the same
// report: the difference is what the library's threads, dispatch and wake cost.
#include "link/frame.h"
#include "link/framedecoder.h"
#include "robot/robot.h"
#include "simharness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QThread>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace {

constexpr quint16 kQuery = 0x2F07;
constexpr quint16 kReport = 0x2F08;
const QByteArray kQueryPayload = "{\"coord\":0,\"robot\":1}\n";
const QByteArray kReportPayload =
    "{\"coord\":0,\"pos\":[10.5,20.25,30.125,0.0,90.0,0.0,0.0],"
    "\"posDeg\":[1.0,2.0,3.0,4.0,5.0,6.0,7.0],\"robot\":1}\n";

// One simulator answering every position query with the same report, and one Robot linked to
// it, for the whole run: connecting takes a check tick.
class Rig {
public:
    Rig() {
        sim.setReply(kQuery, kReport, kReportPayload);
        robot = std::make_unique<Robot>(QStringLiteral("127.0.0.1"), sim.start());
        robot->startLink();
        robot->robot_startConnectToC();
        const QDeadlineTimer deadline(5000);
        while (!robot->connected() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
    }

    kelvo::sim::SimHarness sim;
    std::unique_ptr<Robot> robot;
};

// Made on first use, gone before the application object.
std::unique_ptr<Rig>& rig() {
    static std::unique_ptr<Rig> instance;
    if (!instance)
        instance = std::make_unique<Rig>();
    return instance;
}

void BM_QueryAndWait(benchmark::State& state) {
    Robot& robot = *rig()->robot;
    if (!robot.connected()) {
        state.SkipWithError("no link to the simulator");
        return;
    }
    double position[6];
    for (auto _ : state) {
        if (!robot.queryAndWait([&] { return robot.queryCurrentPosition(0); },
                                QDeadlineTimer(5000))) {
            state.SkipWithError("no answer");
            break;
        }
        robot.copyCurrentPosition(position);
        benchmark::DoNotOptimize(position);
    }
}

// A blocking client with Nagle off: write the query frame, read until the report frame is cut.
class RawClient {
public:
    explicit RawClient(quint16 port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool roundTrip(const QByteArray& query) {
        if (!connected_ || ::write(fd_, query.constData(), query.size()) != query.size()) {
            return false;
        }
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
    bool connected_ = false;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
};

void BM_RawSocketRoundTrip(benchmark::State& state) {
    RawClient client(rig()->sim.port());
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
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kelvo.*=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rig().reset();
    return 0;
}
