// get_current_position through the exported API (the flat call and the session call
// kelvo_get_current_position) against kelvo-sim on loopback, beside a raw
// blocking client that asks the same simulator the same question and reads the same answer, from
// one host thread and from four (the raw client then has one connection per thread). Prints the
// per-call p50 and p99 of each, their ratio and the host's CPU time per call (all its threads).
// The two take turns, round by round, so that both meet the same load on the machine. The host is
// a customer's: no Qt application object, only kelvo.h; the simulator runs as a child process and
// echoes nothing. Then the delay from a pushed report's send to the event handler's call, beside
// a blocking reader's wake-up for the same send.
//   bench_api [--calls N] [--rounds N] [--threads N] [--trace-size N] [--queries N]
// N calls per thread and round; --threads runs that many threads only, instead of one and four;
// --trace-size sets the flight recorder's size (0: off) to measure what it costs; --queries N
// makes N session calls from one thread and nothing else (for callgrind).
// Which core wakes which shapes the figures: on a VM, an answer whose wake-up crosses to an idle
// core takes tens of microseconds longer. `taskset -c 0 bench_api --threads 1` puts the host and
// the simulator on one core, where no wake-up crosses and only the work per call shows.
#include "hostbench.h"
#include "kelvo.h"
#include "link/frame.h"
#include "rawsockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr char kAddress[] = "127.0.6.250";
constexpr char kEventAddress[] = "127.0.128.1";
constexpr uint16_t kControlPort = 6000;
constexpr uint16_t kQueryPosition = 0x2F07;
constexpr uint16_t kPositionReport = 0x2F08;
constexpr uint16_t kHeartbeat = 0x7266;
constexpr uint16_t kHeartbeatReply = 0x7267;
constexpr uint16_t kServoStatus = 0x2003;
constexpr int kWarmUpCalls = 200;
// What the library asks, and a full answer as a controller sends it.
const char kQueryPayload[] = "{\"coord\":0,\"robot\":1}\n";
const char kFencePayload[] = "{\"time\":1765000000}\n";
const std::string kReplyPayload =
    "{\"coord\":0,\"pos\":[0.50,10.250,-20.0,30.0,40.0,50.0,0.0],"
    "\"posDeg\":[1.0,2.0,3.0,4.0,5.0,6.0,0.0],\"robot\":1}\n";

using Clock = std::chrono::steady_clock;
using RoundTrip = std::function<bool()>;

sockaddr_in loopback(const char* ip, uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, ip, &address.sin_addr);
    return address;
}

int connectToController() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(kAddress, kControlPort);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    kelvo::bench::noDelay(fd);
    return fd;
}

// The least a client can do for the library's exchange: one write of the query frame and its fence
// heartbeat, reads until the answer and then the fence's reply are in, frames found by the length
// field alone: a fenced question of the library is settled by that reply too.
class RawClient {
public:
    RawClient() : fd_(connectToController()) {
        const QByteArray frame = kelvo::encodeFrame(kQueryPosition, QByteArray(kQueryPayload)) +
                                 kelvo::encodeFrame(kHeartbeat, QByteArray(kFencePayload));
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
        bool answered = false;
        for (;;) {
            const size_t size = frameSize();
            if (size > 0 && size <= held_) {
                answered = answered || command() == kPositionReport;
                const bool fenceReplied = answered && command() == kHeartbeatReply;
                held_ -= size;
                std::memmove(buffer_, buffer_ + size, held_);
                if (fenceReplied)
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

double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Timed {
    std::vector<double> samples;  // µs per call
    double cpuSeconds = 0;        // the whole host's, warm-up included
    int warmUpCalls = 0;
};

// Every call's time in µs, from threads running at once, each with its own client.
Timed timeCalls(int threads, int calls, const std::function<RoundTrip()>& newClient) {
    const double cpuAtStart = cpuSeconds();
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
    Timed timed;
    timed.cpuSeconds = cpuSeconds() - cpuAtStart;
    timed.warmUpCalls = threads * kWarmUpCalls;
    for (const std::vector<double>& samples : perThread)
        timed.samples.insert(timed.samples.end(), samples.begin(), samples.end());
    return timed;
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

// One client's calls over all rounds.
struct Series {
    Series(const char* what, std::function<RoundTrip()> clients)
        : name(what), newClient(std::move(clients)) {}

    const char* name;
    std::function<RoundTrip()> newClient;
    std::vector<double> samples;
    double cpuSeconds = 0;
    int callsMade = 0;

    bool run(int threads, int calls) {
        const Timed timed = timeCalls(threads, calls, newClient);
        if (timed.samples.empty())
            return false;
        samples.insert(samples.end(), timed.samples.begin(), timed.samples.end());
        cpuSeconds += timed.cpuSeconds;
        callsMade += static_cast<int>(timed.samples.size()) + timed.warmUpCalls;
        return true;
    }
    Figures print(int threads) const {
        const Figures f = figures(samples);
        std::printf("%7d  %-8s %8zu %9.1f %9.1f %9.1f\n", threads, name, samples.size(), f.p50,
                    f.p99, cpuSeconds * 1e6 / callsMade);
        return f;
    }
};

bool compare(int threads, int calls, int rounds) {
    Series api{"api", apiClient};
    Series session{"session", sessionClient};
    Series raw{"raw", rawClient};
    for (int round = 0; round < rounds; ++round) {
        for (Series* series : {&api, &session, &raw}) {
            if (!series->run(threads, calls) || !is_connected()) {
                std::fprintf(stderr, "%s: a call failed or the link was lost\n", series->name);
                return false;
            }
        }
    }
    const Figures a = api.print(threads);
    const Figures s = session.print(threads);
    const Figures r = raw.print(threads);
    std::printf("%7d  %-8s %8s %8.2fx %8.2fx\n", threads, "api/raw", "", a.p50 / r.p50,
                a.p99 / r.p99);
    std::printf("%7d  %-8s %8s %8.2fx %8.2fx\n", threads, "sess/raw", "", s.p50 / r.p50,
                s.p99 / r.p99);
    return true;
}

// A controller of the bench's own on kEventAddress: answers heartbeats and pushes servo status
// reports, each stamped with its send time, to the one session connected to it.
class PushingController {
public:
    PushingController() {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(kEventAddress, 0);
        socklen_t size = sizeof(address);
        if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            ::close(listener);
            return;
        }
        port_ = ntohs(address.sin_port);
        listener_ = listener;
    }
    ~PushingController() {
        if (peer_ >= 0)
            ::shutdown(peer_, SHUT_RDWR);
        if (replier_.joinable())
            replier_.join();
        for (const int fd : {peer_, listener_}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    PushingController(const PushingController&) = delete;
    PushingController& operator=(const PushingController&) = delete;

    uint16_t port() const { return port_; }
    // Accepts the session's connection and starts answering its heartbeats.
    bool accept() {
        peer_ = listener_ < 0 ? -1 : ::accept(listener_, nullptr, nullptr);
        if (peer_ < 0)
            return false;
        kelvo::bench::noDelay(peer_);
        replier_ = std::thread([this] { answerHeartbeats(); });
        return true;
    }
    // Sends one report now; returns its send time.
    Clock::time_point push(int code) {
        const QByteArray frame =
            kelvo::encodeFrame(kServoStatus, QByteArray("{\"robot\":1,\"status\":") +
                                                 QByteArray::number(code) + "}\n");
        std::lock_guard<std::mutex> lock(writing_);
        const Clock::time_point sent = Clock::now();
        kelvo::bench::sendAll(peer_, frame.constData(), static_cast<size_t>(frame.size()));
        return sent;
    }

private:
    void answerHeartbeats() {
        std::vector<char> in(1 << 16);
        size_t held = 0;
        for (;;) {
            const ssize_t n = ::read(peer_, in.data() + held, in.size() - held);
            if (n <= 0)
                return;
            held += static_cast<size_t>(n);
            for (;;) {
                const auto at = [&](size_t i) { return static_cast<unsigned char>(in[i]); };
                const size_t size = held < 4 ? 0 : ((at(2) << 8) | at(3)) + kelvo::kFrameOverhead;
                if (size == 0 || size > held)
                    break;
                if (((at(4) << 8) | at(5)) == kHeartbeat) {
                    const QByteArray reply = kelvo::encodeFrame(
                        kHeartbeatReply,
                        QByteArray(in.data() + 6, static_cast<int>(size) - kelvo::kFrameOverhead));
                    std::lock_guard<std::mutex> lock(writing_);
                    kelvo::bench::sendAll(peer_, reply.constData(),
                                          static_cast<size_t>(reply.size()));
                }
                held -= size;
                std::memmove(in.data(), in.data() + size, held);
            }
        }
    }

    int listener_ = -1;
    int peer_ = -1;
    uint16_t port_ = 0;
    std::mutex writing_;
    std::thread replier_;
};

// The handler's side of a push: the time of each call, matched to the push by its status code.
struct Arrivals {
    std::vector<Clock::time_point> at;
    std::atomic<int> count{0};
};

void onEvent(const KelvoEvent* event, void* user) {
    const Clock::time_point now = Clock::now();
    auto* arrivals = static_cast<Arrivals*>(user);
    if (event->kind != KELVO_EVENT_SERVO || event->code < 0 ||
        event->code >= static_cast<int>(arrivals->at.size()))
        return;
    arrivals->at[static_cast<size_t>(event->code)] = now;
    arrivals->count.fetch_add(1, std::memory_order_release);
}

// A blocking reader's wake-up for the same kind of send: the floor of any push delivery.
std::vector<double> rawWakeUps(int pushes) {
    std::vector<double> samples;
    uint16_t port = 0;
    const int listener = kelvo::bench::listenOnLoopback(&port);
    const int reader = kelvo::bench::connectToLoopback(port);
    const int writer = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    kelvo::bench::noDelay(writer);
    const QByteArray frame =
        kelvo::encodeFrame(kServoStatus, QByteArray("{\"robot\":1,\"status\":1}\n"));
    std::atomic<int64_t> sentAt{0};
    std::thread readerThread([&] {
        std::vector<char> in(static_cast<size_t>(frame.size()));
        for (int i = 0; i < pushes; ++i) {
            if (!kelvo::bench::receiveAll(reader, in.data(), in.size()))
                return;
            const Clock::time_point now = Clock::now();
            samples.push_back(std::chrono::duration<double, std::micro>(
                                  now.time_since_epoch() - Clock::duration(sentAt.load()))
                                  .count());
        }
    });
    for (int i = 0; i < pushes; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        sentAt = Clock::now().time_since_epoch().count();
        kelvo::bench::sendAll(writer, frame.constData(), static_cast<size_t>(frame.size()));
    }
    readerThread.join();
    ::close(reader);
    ::close(writer);
    return samples;
}

// Pushes one report at a time, each after the last one's event has come.
bool eventLatency(int pushes) {
    PushingController controller;
    if (controller.port() == 0) {
        std::fprintf(stderr, "no listener on %s\n", kEventAddress);
        return false;
    }
    int error = 0;
    std::thread opening([&] { controller.accept(); });
    KelvoSession* session = kelvo_open(kEventAddress, controller.port(), 5000, &error);
    opening.join();
    if (!session) {
        std::fprintf(stderr, "kelvo_open to the pushing controller: %s\n", kelvo_strerror(error));
        return false;
    }
    Arrivals arrivals;
    arrivals.at.resize(static_cast<size_t>(pushes));
    kelvo_set_event_handler(session, onEvent, &arrivals);
    std::vector<double> samples;
    for (int i = 0; i < pushes; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        const Clock::time_point sent = controller.push(i);
        const Clock::time_point deadline = sent + std::chrono::seconds(2);
        while (arrivals.count.load(std::memory_order_acquire) <= i && Clock::now() < deadline)
            std::this_thread::yield();
        if (arrivals.count.load(std::memory_order_acquire) <= i) {
            std::fprintf(stderr, "push %d brought no event\n", i);
            break;
        }
        samples.push_back(
            std::chrono::duration<double, std::micro>(arrivals.at[static_cast<size_t>(i)] - sent)
                .count());
    }
    kelvo_set_event_handler(session, nullptr, nullptr);
    kelvo_close(session);
    if (static_cast<int>(samples.size()) < pushes)
        return false;
    const std::vector<double> raw = rawWakeUps(pushes);
    const Figures e = figures(samples);
    const Figures r = figures(raw);
    std::printf("pushed report to event handler, %d pushes: p50 %.1f us, p99 %.1f us\n", pushes,
                e.p50, e.p99);
    std::printf("same send to a blocking reader:           p50 %.1f us, p99 %.1f us\n", r.p50,
                r.p99);
    return true;
}

// Session calls only, from one thread: what callgrind counts per query.
int queriesOnly(int queries) {
    double position[6];
    for (int i = 0; i < queries; ++i) {
        if (kelvo_get_current_position(benchSession, position, 0) != KELVO_OK)
            return 1;
    }
    return 0;
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
    const int queries = option(argc, argv, "--queries", -1, 0);
    if (queries >= 0) {
        const int failed = queriesOnly(queries);
        kelvo_close(benchSession);
        return failed;
    }
    std::printf("get_current_position against kelvo-sim, %d rounds of %d calls per thread\n",
                rounds, calls);
    std::printf("%7s  %-8s %8s %9s %9s %9s\n", "threads", "client", "calls", "p50 us", "p99 us",
                "cpu us");
    const int onlyThreads = option(argc, argv, "--threads", 0);
    const std::vector<int> threadCounts =
        onlyThreads > 0 ? std::vector<int>{onlyThreads} : std::vector<int>{1, 4};
    for (const int threads : threadCounts) {
        if (!compare(threads, calls, rounds))
            return 1;
    }
    kelvo_close(benchSession);
    return eventLatency(option(argc, argv, "--pushes", 2000)) ? 0 : 1;
}
