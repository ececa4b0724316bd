// Request/reply round trip on loopback: sendFrame -> simulator -> receivedData, beside a raw
// blocking-socket ping-pong of the same frame sizes (the physical limit of this machine).
#include "benchsupport.h"
#include "link/frame.h"
#include "link/tcpconnectmoduleprivate.h"
#include "rawpingpong.h"
#include "simharness.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

constexpr quint16 kRequest = 0x3001;
constexpr quint16 kReply = 0x3003;

// One simulator and one connected link for the whole run: connecting takes a check tick.
class LinkRig {
public:
    LinkRig() {
        sim_.setReply(kRequest, kReply);
        const quint16 port = sim_.start();
        link_ = std::make_unique<kelvo::TcpConnectModulePrivate>(QStringLiteral("127.0.0.1"), port,
                                                                 300000);
        QObject::connect(
            link_.get(), &kelvo::TcpConnectModulePrivate::receivedData, link_.get(),
            [this](quint16 command, const QByteArray&) {
                if (command == kReply) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    ++replies_;
                    arrived_.notify_one();
                }
            },
            Qt::DirectConnection);
        QObject::connect(
            link_.get(), &kelvo::TcpConnectModulePrivate::connectSucceed, link_.get(),
            [this](int succeed) {
                std::lock_guard<std::mutex> lock(mutex_);
                connected_ = succeed == 1;
                arrived_.notify_one();
            },
            Qt::DirectConnection);
        link_->startNetThread();
        std::unique_lock<std::mutex> lock(mutex_);
        arrived_.wait(lock, [this] { return connected_; });
        sim_.waitForAccepted(1, 5000);
    }

    bool roundTrip(const QByteArray& payload) {
        std::unique_lock<std::mutex> lock(mutex_);
        const quint64 expected = replies_ + 1;
        lock.unlock();
        if (!link_->sendFrame(kRequest, payload)) {
            return false;
        }
        lock.lock();
        arrived_.wait(lock, [&] { return replies_ >= expected; });
        return true;
    }

private:
    kelvo::sim::SimHarness sim_;
    std::unique_ptr<kelvo::TcpConnectModulePrivate> link_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    quint64 replies_ = 0;
    bool connected_ = false;
};

void BM_LinkRoundTrip(benchmark::State& state) {
    LinkRig& rig = kelvo::bench::sharedRig<LinkRig>();
    const QByteArray payload(static_cast<int>(state.range(0)), 'x');
    for (auto _ : state) {
        if (!rig.roundTrip(payload)) {
            state.SkipWithError("link not connected");
            break;
        }
    }
}

void BM_RawRoundTrip(benchmark::State& state) {
    const int frameSize = kelvo::kFrameOverhead + static_cast<int>(state.range(0));
    kelvo::bench::RawPingPong pingPong(frameSize, frameSize);
    for (auto _ : state) {
        if (!pingPong.roundTrip()) {
            state.SkipWithError("raw socket failed");
            break;
        }
    }
}

void payloadSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(16)->Arg(256)->Arg(4096)->Arg(60000);
    benchmark->UseRealTime()->Unit(benchmark::kMicrosecond);
    benchmark->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_LinkRoundTrip)->Apply(payloadSizes);
BENCHMARK(BM_RawRoundTrip)->Apply(payloadSizes);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runWithQt(argc, argv);
}
