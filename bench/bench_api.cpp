// get_current_position through the exported API (the flat call and the session call
// kelvo_get_current_position) against kelvo-sim on loopback, beside a raw
// blocking client that asks the same simulator the same question and reads the same answer, from
// one host thread and from four (the raw client then has one connection per thread). Prints the
// per-call p50 and p99 of each and their ratio. The two take turns, round by round, so that both
// meet the same load on the machine. The host is a customer's: no Qt application object, only
// kelvo.h; the simulator runs as a child process and echoes nothing.
//   bench_api [--calls N] [--rounds N] [--threads N] [--trace-size N]
// N calls per thread and round; --threads runs that many threads only, instead of one and four;
// --trace-size sets the flight recorder's size (0: off) to measure what it costs.
#include "hostbench.h"
#include "kelvo.h"
#include "link/frame.h"
#include "rawsockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kAddress[] = "127.0.6.250";
constexpr uint16_t kControlPort = 6000;
constexpr uint16_t kQueryPosition = 0x2F07;
constexpr uint16_t kPositionReport = 0x2F08;
constexpr int kWarmUpCalls = 200;
// What the library asks, and a full answer as a controller sends it.
const char kQueryPayload[] = "{\"coord\":0,\"robot\":1}\n";
const std::string kReplyPayload =
    "{\"coord\":0,\"pos\":[0.50,10.250,-20.0,30.0,40.0,50.0,0.0],"
    "\"posDeg\":[1.0,2.0,3.0,4.0,5.0,6.0,0.0],\"robot\":1}\n";

using Clock = std::chrono::steady_clock;
using RoundTrip = std::function<bool()>;

int connectToController() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kControlPort);
    ::inet_pton(AF_INET, kAddress, &address.sin_addr);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    kelvo::bench::noDelay(fd);
    return fd;
}

// The least a client can do: one write of the query frame, reads until a whole answer frame is
// in, found by the length field alone.
class RawClient {
public:
    RawClient() : fd_(connectToController()) {
        const QByteArray frame = kelvo::encodeFrame(kQueryPosition, QByteArray(kQueryPayload));
        query_.assign(frame.constData(), static_cast<size_t>(frame.size()));
    }
    ~RawClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool roundTrip() {
        if (fd_ < 0 || !kelvo::bench::sendAll(fd_, query_.data(), query_.size()))
            return false;
        for (;;) {
            const size_t size = frameSize();
            if (size > 0 && size <= held_) {
                const bool answer = command() == kPositionReport;
                held_ -= size;
                std::memmove(buffer_, buffer_ + size, held_);
                if (answer)
                    return true;
                continue;
            }
            const ssize_t n = ::read(fd_, buffer_ + held_, sizeof(buffer_) - held_);
            if (n <= 0)
                return false;
            held_ += static_cast<size_t>(n);
        }
    }

private:
    unsigned byteAt(size_t i) const { return static_cast<unsigned char>(buffer_[i]); }
    size_t frameSize() const {
        return held_ < 4 ? 0 : ((byteAt(2) << 8) | byteAt(3)) + kelvo::kFrameOverhead;
    }
    unsigned command() const { return (byteAt(4) << 8) | byteAt(5); }

    int fd_;
    std::string query_;
    char buffer_[1 << 17];
    size_t held_ = 0;
};

// Every call's time in µs, from threads running at once, each with its own client.
std::vector<double> timeCalls(int threads, int calls, const std::function<RoundTrip()>& newClient) {
    std::vector<std::vector<double>> perThread(static_cast<size_t>(threads));
    std::atomic<int> ready{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> running;
    for (int t = 0; t < threads; ++t) {
        running.emplace_back([&, t] {
            const RoundTrip roundTrip = newClient();
            std::vector<double>& samples = perThread[static_cast<size_t>(t)];
            samples.reserve(static_cast<size_t>(calls));
            for (int i = 0; i < kWarmUpCalls; ++i)
                failed = failed || !roundTrip();
            ++ready;
            while (ready < threads)
                std::this_thread::yield();
            for (int i = 0; i < calls && !failed; ++i) {
                const Clock::time_point start = Clock::now();
                failed = failed || !roundTrip();
                samples.push_back(
                    std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            }
        });
    }
    for (std::thread& thread : running)
        thread.join();
    if (failed)
        return {};
    std::vector<double> all;
    for (const std::vector<double>& samples : perThread)
        all.insert(all.end(), samples.begin(), samples.end());
    return all;
}

// Nearest rank.
double percentile(std::vector<double> samples, double p) {
    const size_t rank = static_cast<size_t>(std::ceil(p * static_cast<double>(samples.size())));
    const auto at = samples.begin() + static_cast<std::ptrdiff_t>(std::max<size_t>(rank, 1) - 1);
    std::nth_element(samples.begin(), at, samples.end());
    return *at;
}

// An unanswered call returns cached values after the reply timeout; compare() checks the link.
RoundTrip apiClient() {
    return [] {
        double position[6];
        get_current_position(position, 0);
        return true;
    };
}

// A session of its own beside the flat call's default session, to the same simulator.
KelvoSession* benchSession = nullptr;

RoundTrip sessionClient() {
    return [] {
        double position[6];
        return kelvo_get_current_position(benchSession, position, 0) == KELVO_OK;
    };
}

RoundTrip rawClient() {
    auto client = std::make_shared<RawClient>();
    return [client] { return client->roundTrip(); };
}

struct Figures {
    double p50 = 0;
    double p99 = 0;
};

Figures figures(const std::vector<double>& samples) {
    return {percentile(samples, 0.50), percentile(samples, 0.99)};
}

bool compare(int threads, int calls, int rounds) {
    std::vector<double> api;
    std::vector<double> session;
    std::vector<double> raw;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<double> apiRound = timeCalls(threads, calls, apiClient);
        if (!is_connected()) {
            std::fprintf(stderr, "the library lost the link\n");
            return false;
        }
        const std::vector<double> sessionRound = timeCalls(threads, calls, sessionClient);
        if (sessionRound.empty()) {
            std::fprintf(stderr, "a session call failed\n");
            return false;
        }
        session.insert(session.end(), sessionRound.begin(), sessionRound.end());
        const std::vector<double> rawRound = timeCalls(threads, calls, rawClient);
        if (rawRound.empty()) {
            std::fprintf(stderr, "the raw client failed\n");
            return false;
        }
        api.insert(api.end(), apiRound.begin(), apiRound.end());
        raw.insert(raw.end(), rawRound.begin(), rawRound.end());
    }
    const Figures a = figures(api);
    const Figures r = figures(raw);
    std::printf("%7d  %-8s %8zu %9.1f %9.1f\n", threads, "api", api.size(), a.p50, a.p99);
    const Figures s = figures(session);
    std::printf("%7d  %-8s %8zu %9.1f %9.1f\n", threads, "session", session.size(), s.p50, s.p99);
    std::printf("%7d  %-8s %8zu %9.1f %9.1f\n", threads, "raw", raw.size(), r.p50, r.p99);
    std::printf("%7d  %-8s %8s %8.2fx %8.2fx\n", threads, "api/raw", "", a.p50 / r.p50,
                a.p99 / r.p99);
    return true;
}

int option(int argc, char** argv, const char* name, int fallback, int lowest = 1) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(lowest, std::atoi(argv[i + 1]));
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = option(argc, argv, "--calls", 5000);
    const int rounds = option(argc, argv, "--rounds", 4);
    const auto sim = kelvo::bench::startConnectedSim(kAddress, SimProcess::Echo::Quiet);
    if (!sim)
        return 1;
    if (!sim->reply(kQueryPosition, kPositionReport, kReplyPayload)) {
        std::fprintf(stderr, "kelvo-sim took no reply rule\n");
        return 1;
    }
    const int traceSize = option(argc, argv, "--trace-size", -1, 0);
    if (traceSize >= 0 && kelvo_set_trace_size(kelvo_default_session(), traceSize) != KELVO_OK) {
        std::fprintf(stderr, "the trace size was refused\n");
        return 1;
    }
    const Clock::time_point opening = Clock::now();
    int error = 0;
    benchSession = kelvo_open(kAddress, kControlPort, 5000, &error);
    if (!benchSession) {
        std::fprintf(stderr, "kelvo_open: %s\n", kelvo_strerror(error));
        return 1;
    }
    std::printf("kelvo_open to a connected link: %.1f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - opening).count());
    if (traceSize >= 0 && kelvo_set_trace_size(benchSession, traceSize) != KELVO_OK)
        return 1;
    std::printf("get_current_position against kelvo-sim, %d rounds of %d calls per thread\n",
                rounds, calls);
    std::printf("%7s  %-8s %8s %9s %9s\n", "threads", "client", "calls", "p50 us", "p99 us");
    const int onlyThreads = option(argc, argv, "--threads", 0);
    const std::vector<int> threadCounts =
        onlyThreads > 0 ? std::vector<int>{onlyThreads} : std::vector<int>{1, 4};
    for (const int threads : threadCounts) {
        if (!compare(threads, calls, rounds))
            return 1;
    }
    kelvo_close(benchSession);
    return 0;
}
