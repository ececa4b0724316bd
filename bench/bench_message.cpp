// What one received report costs: the dispatcher alone (called as the link calls it), and the
// whole path from the controller's socket through the link and the dispatcher to a receiver.
#include "benchsupport.h"
#include "link/frame.h"
#include "message/tcpconnectmodule.h"
#include "simharness.h"

#include <QThread>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

namespace {

// A current-position report as the controller sends it.
const QByteArray kReport =
    "{\"coord\":0,\"pos\":[0.50,10.250,-20.0,30.0,40.0,50.0,0.0],"
    "\"posDeg\":[1.0,2.0,3.0,4.0,5.0,6.0,0.0],\"robot\":1}\n";
constexpr quint16 kForwardedWord = 0x2F08;

void BM_DispatchForwarded(benchmark::State& state) {
    TcpConnectModule module("127.0.0.1", 9, 300000);
    long received = 0;
    QObject::connect(
        &module, &TcpConnectModule::recriveMoreRobotCurPosition, &module,
        [&](const QByteArray&) { ++received; }, Qt::DirectConnection);
    for (auto _ : state)
        module.onReceivedData(kForwardedWord, kReport);
    benchmark::DoNotOptimize(received);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchForwarded);

// The checked rules that parse: forward-if-JSON and the position decoding.
void BM_DispatchParsed(benchmark::State& state) {
    const auto word = static_cast<quint16>(state.range(0));
    TcpConnectModule module("127.0.0.1", 9, 300000);
    for (auto _ : state)
        module.onReceivedData(word, kReport);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchParsed)->Arg(0x2003)->Arg(0x2A03);

// Per frame, from the simulator's write to a directly connected receiver in the connection
// thread: loopback TCP, frame cutting and CRC, dispatch.
void BM_LinkAndDispatchPerFrame(benchmark::State& state) {
    const int batch = static_cast<int>(state.range(0));
    kelvo::sim::SimHarness sim;
    if (sim.start() == 0) {
        state.SkipWithError("simulator did not start");
        return;
    }
    TcpConnectModule module(sim.address(), sim.port(), 30000);
    std::atomic<int> received{0};
    bool connected = false;
    QObject::connect(&module, &TcpConnectModule::connectSucceed,
                     [&](int up) { connected = up != 0; });
    QObject::connect(
        &module, &TcpConnectModule::recriveMoreRobotCurPosition, &module,
        [&](const QByteArray&) { ++received; }, Qt::DirectConnection);
    module.start();
    // The link can see the connection before the simulator has taken it in.
    if (!kelvo::bench::processEventsUntil([&] { return connected; }, 5000) ||
        !sim.waitForOpen(1, 5000)) {
        state.SkipWithError("link did not come up");
        return;
    }
    const QByteArray frame = kelvo::encodeFrame(kForwardedWord, kReport);
    QByteArray stream;
    for (int i = 0; i < batch; ++i)
        stream += frame;

    for (auto _ : state) {
        received = 0;
        const auto start = std::chrono::steady_clock::now();
        sim.sendRaw(stream);
        while (received.load() < batch &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
            QThread::yieldCurrentThread();
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        if (received.load() < batch) {
            state.SkipWithError("frames lost");
            break;
        }
        state.SetIterationTime(spent.count());
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_LinkAndDispatchPerFrame)->Arg(1)->Arg(1000)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runWithQt(argc, argv, "kelvo.*.debug=false");
}
