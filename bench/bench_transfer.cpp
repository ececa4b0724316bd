// Upload throughput on loopback: a 64 MiB job file through TcpUpDownFile to kelvo-sim's transfer
// port (read, framed, sent, cut, written to the simulator's job directory, confirmed), beside a
// raw socket copy of the same number of bytes in the same 2048-byte writes to a sink that only
// reads: the difference is what the transfer protocol and the two ends' file handling cost.
#include "robot/robot.h"
#include "simfiles.h"
#include "simharness.h"
#include "transfer/tcpupdownfile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kFileSize = 64 * 1024 * 1024;
constexpr int kWriteSize = 2048;

bool processEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

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
        const quint16 controlPort = sim.start();
        files = kelvo::sim::SimFiles::start(sim, temp.filePath("controller"));
        // The control link runs too: every transfer frame is a sign of life handed to it.
        robot = std::make_unique<Robot>(QStringLiteral("127.0.0.1"), controlPort);
        robot->startLink();
        robot->robot_startConnectToC();
        processEventsUntil([this] { return robot->connected(); }, 5000);
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

std::unique_ptr<Rig>& rig() {
    static std::unique_ptr<Rig> instance;
    if (!instance)
        instance = std::make_unique<Rig>();
    return instance;
}

void BM_UploadJobFile(benchmark::State& state) {
    Rig& r = *rig();
    if (!r.files) {
        state.SkipWithError("no simulator");
        return;
    }
    for (auto _ : state) {
        const int before = r.uploads;
        r.transfer->setUpLoadJobFileName({QStringLiteral("R1BIG.JBR")});
        if (!processEventsUntil([&] { return r.uploads > before; }, 60000)) {
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
    Sink() : listener_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
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

    quint16 port() const { return port_; }
    qint64 received() const { return received_; }

private:
    int listener_;
    quint16 port_ = 0;
    std::thread thread_;
    std::atomic<qint64> received_{0};
};

void BM_RawSocketCopy(benchmark::State& state) {
    Sink sink;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(sink.port());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        state.SkipWithError("no sink");
        ::close(fd);
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
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kelvo.*=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rig().reset();
    return 0;
}
