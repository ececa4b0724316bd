// get_current_position through the exported API against kelvo-sim on loopback, from one host
// thread and from four, beside a raw blocking-socket ping-pong of the same frame sizes. The host
// is a customer's: no Qt application object, only kelvo.h; the simulator runs as a child process.
#include "kelvo.h"
#include "simprocess.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

// One client and one server socket with Nagle off and an echo thread that answers each request of
// requestSize bytes with replySize bytes: a write and a read on each side per trip.
class RawPingPong {
public:
    RawPingPong(int requestSize, int replySize)
        : request_(static_cast<size_t>(requestSize), 'q'),
          reply_(static_cast<size_t>(replySize), 'r') {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        client_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(client_, reinterpret_cast<sockaddr*>(&address), size);
        server_ = ::accept(listener, nullptr, nullptr);
        ::close(listener);
        noDelay(client_);
        noDelay(server_);
        echo_ = std::thread([this] {
            std::string in(request_.size(), '\0');
            std::string out = reply_;
            while (transfer(server_, in, false) && transfer(server_, out, true)) {
            }
        });
    }

    ~RawPingPong() {
        ::shutdown(client_, SHUT_RDWR);
        echo_.join();
        ::close(client_);
        ::close(server_);
    }

    bool roundTrip() {
        return transfer(client_, request_, true) && transfer(client_, reply_, false);
    }

private:
    static void noDelay(int fd) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    }

    static bool transfer(int fd, std::string& data, bool send) {
        for (size_t done = 0; done < data.size();) {
            const ssize_t n = send ? ::write(fd, data.data() + done, data.size() - done)
                                   : ::read(fd, &data[done], data.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    std::string request_;
    std::string reply_;
    int client_ = -1;
    int server_ = -1;
    std::thread echo_;
};

void BM_RawPingPong(benchmark::State& state) {
    RawPingPong pingPong(kFrameOverhead + static_cast<int>(kQueryPayload.size()),
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
    setenv("QT_LOGGING_RULES", "kelvo.*=false", 1);
    benchmark::Initialize(&argc, argv);
    SimProcess sim(kAddress);
    if (!sim.listening() || !sim.reply(kQueryPosition, kPositionReport, kReplyPayload) ||
        !connect_robot(kAddress) || !sim.waitForAccepted(1, 3000)) {
        std::fprintf(stderr, "no simulator on %s:6000\n", kAddress);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
