// Request/reply round trip on loopback: sendFrame -> simulator -> receivedData, beside a raw
// blocking-socket ping-pong of the same frame sizes (the physical limit of this machine).
#include "link/frame.h"
#include "link/tcpconnectmoduleprivate.h"
#include "simharness.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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

// Made on first use, gone before the application object.
std::unique_ptr<LinkRig>& linkRig() {
    static std::unique_ptr<LinkRig> rig;
    return rig;
}

void BM_LinkRoundTrip(benchmark::State& state) {
    if (!linkRig()) {
        linkRig() = std::make_unique<LinkRig>();
    }
    const QByteArray payload(static_cast<int>(state.range(0)), 'x');
    for (auto _ : state) {
        if (!linkRig()->roundTrip(payload)) {
            state.SkipWithError("link not connected");
            break;
        }
    }
}

// Blocking sockets with Nagle off, one echo thread: a write and a read on each side per trip.
class RawPingPong {
public:
    explicit RawPingPong(int frameSize) : frameSize_(frameSize) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        client_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(client_, reinterpret_cast<sockaddr*>(&address), size);
        server_ = ::accept(listener_, nullptr, nullptr);
        noDelay(client_);
        noDelay(server_);
        echo_ = std::thread([this] {
            QByteArray buffer(frameSize_, '\0');
            while (transfer(server_, buffer.data(), false) &&
                   transfer(server_, buffer.data(), true)) {
            }
        });
    }

    ~RawPingPong() {
        ::shutdown(client_, SHUT_RDWR);
        echo_.join();
        ::close(client_);
        ::close(server_);
        ::close(listener_);
    }

    bool roundTrip(QByteArray& frame) {
        return transfer(client_, frame.data(), true) && transfer(client_, frame.data(), false);
    }

private:
    static void noDelay(int fd) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    }

    bool transfer(int fd, char* data, bool send) const {
        for (int done = 0; done < frameSize_;) {
            const ssize_t n = send ? ::write(fd, data + done, frameSize_ - done)
                                   : ::read(fd, data + done, frameSize_ - done);
            if (n <= 0) {
                return false;
            }
            done += static_cast<int>(n);
        }
        return true;
    }

    int frameSize_;
    int listener_ = -1;
    int client_ = -1;
    int server_ = -1;
    std::thread echo_;
};

void BM_RawRoundTrip(benchmark::State& state) {
    QByteArray frame =
        kelvo::encodeFrame(kRequest, QByteArray(static_cast<int>(state.range(0)), 'x'));
    RawPingPong pingPong(frame.size());
    for (auto _ : state) {
        if (!pingPong.roundTrip(frame)) {
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
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kelvo.*=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    linkRig().reset();
    return 0;
}
