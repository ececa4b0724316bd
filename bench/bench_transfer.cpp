// Upload throughput on loopback: a 64 MiB job file through TcpUpDownFile to kelvo-sim's transfer
// port (read, framed, sent, cut, written to the simulator's job directory, confirmed), beside a
// raw socket copy of the same number of bytes in the same 2048-byte writes to a sink that only
// reads: the difference is what the transfer protocol and the two ends' file handling cost.
#include "benchsupport.h"
#include "rawsockets.h"
#include "simfiles.h"
#include "simlink.h"
#include "transfer/tcpupdownfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kFileSize = 64 * 1024 * 1024;
constexpr int kWriteSize = 2048;

// The PC with one 64 MiB job file, and the simulated controller, for the whole run.
class Rig {
public:
    Rig() {
        QDir().mkpath(temp.filePath("app/robotJob/R1"));
        QFile file(temp.filePath("app/robotJob/R1/BIG.JBR"));
        if (file.open(QIODevice::WriteOnly)) {
            const QByteArray block(1024 * 1024, 'j');
            for (qint64 written = 0; written < kFileSize; written += block.size())
                file.write(block);
        }
        sim.start();
        files = kelvo::sim::SimFiles::start(sim, temp.filePath("controller"));
        // The control link runs too: every transfer frame is a sign of life handed to it.
        robot = linkRobot(sim);
        transfer = std::make_unique<TcpUpDownFile>(robot.get(), files ? files->port() : 0,
                                                   temp.filePath("app"));
        QObject::connect(transfer.get(), &TcpUpDownFile::reflushprolist, [this] { ++uploads; });
        // An empty upload opens the connection, which later uploads reuse.
        transfer->setUpLoadJobFileName({});
    }

    QTemporaryDir temp;
    kelvo::sim::SimHarness sim;
    kelvo::sim::SimFiles* files = nullptr;
    std::unique_ptr<Robot> robot;
    std::unique_ptr<TcpUpDownFile> transfer;
    int uploads = 0;
};

void BM_UploadJobFile(benchmark::State& state) {
    Rig& r = kelvo::bench::sharedRig<Rig>();
    if (!r.files) {
        state.SkipWithError("no simulator");
        return;
    }
    for (auto _ : state) {
        const int before = r.uploads;
        r.transfer->setUpLoadJobFileName({QStringLiteral("R1BIG.JBR")});
        if (!kelvo::bench::processEventsUntil([&] { return r.uploads > before; }, 60000)) {
            state.SkipWithError("the upload did not finish");
            break;
        }
        state.PauseTiming();
        r.files->recorder().clearFrames();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// Reads and discards everything sent to it.
class Sink {
public:
    Sink() : listener_(kelvo::bench::listenOnLoopback(&port_)) {
        thread_ = std::thread([this] {
            const int client = ::accept(listener_, nullptr, nullptr);
            char buffer[64 * 1024];
            ssize_t n = 0;
            while ((n = ::read(client, buffer, sizeof buffer)) > 0)
                received_ += n;
            ::close(client);
        });
    }
    ~Sink() {
        thread_.join();
        ::close(listener_);
    }

    uint16_t port() const { return port_; }
    qint64 received() const { return received_; }

private:
    uint16_t port_ = 0;
    int listener_;
    std::thread thread_;
    std::atomic<qint64> received_{0};
};

void BM_RawSocketCopy(benchmark::State& state) {
    Sink sink;
    const int fd = kelvo::bench::connectToLoopback(sink.port());
    if (fd < 0) {
        state.SkipWithError("no sink");
        return;
    }
    const std::vector<char> piece(kWriteSize, 'j');
    qint64 sent = 0;
    for (auto _ : state) {
        for (qint64 done = 0; done < kFileSize; done += kWriteSize)
            sent += ::write(fd, piece.data(), piece.size());
        while (sink.received() < sent)
            std::this_thread::yield();
    }
    ::close(fd);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void throughput(benchmark::internal::Benchmark* benchmark) {
    benchmark->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark->Repetitions(3)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_RawSocketCopy)->Apply(throughput);
BENCHMARK(BM_UploadJobFile)->Apply(throughput);

}  // namespace

int main(int argc, char** argv) {
    return kelvo::bench::runWithQt(argc, argv);
}
