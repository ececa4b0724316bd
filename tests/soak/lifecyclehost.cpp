// The lifecycle stress: host threads call a few sessions at random against kelvo-sim in chaos
// mode, closing and reopening them, changing their transfer and handlers, while event handlers
// call back in, sleep or close the session themselves. It fails on a crash, on a call that
// overruns its bound by more than a second, and, by a watchdog, on a hang; LeakSanitizer, where
// built in, checks the end.
//
//   lifecycle_host ADDRESS SECONDS
//
// A host may not start a call on a session once its close has begun, so every use of a session
// holds a lease, and a close waits until each leaseholder is inside its call.

#include "kelvo.h"
#include "simprocess.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kThreads = 6;
constexpr int kSessions = 2;
constexpr int kReplyTimeoutMs = 1000;
constexpr int kOpenTimeoutMs = 2000;
constexpr int kSlackMs = 1000;  // a loaded machine
constexpr int kHangMs = 20000;
constexpr int kHandlerSleepMs = 150;
constexpr int kNextEventMaxMs = 200;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Every thread's call in progress, for the watchdog and the bounds.
struct CallWatch {
    std::array<std::atomic<const char*>, kThreads> name{};
    std::array<std::atomic<long long>, kThreads> since{};
    std::atomic<int> late{0};
    std::atomic<long long> calls{0};
    std::atomic<bool> done{false};

    template <typename Call>
    void time(int slot, const char* what, int boundMs, Call call) {
        name[slot] = what;
        since[slot] = nowMs();
        call();
        const long long tookMs = nowMs() - since[slot];
        name[slot] = nullptr;
        checkBound(what, tookMs, boundMs);
    }

    void checkBound(const char* what, long long tookMs, int boundMs) {
        ++calls;
        if (tookMs > boundMs + kSlackMs) {
            std::fprintf(stderr, "LATE: %s took %lld ms, bound %d ms\n", what, tookMs, boundMs);
            ++late;
        }
    }

    void watch() {
        while (!done) {
            sleepMs(100);
            for (size_t i = 0; i < name.size(); ++i) {
                const char* what = name[i];
                if (what && nowMs() - since[i] > kHangMs) {
                    std::fprintf(stderr, "HANG: %s has not returned in %d ms\n", what, kHangMs);
                    std::fflush(stderr);
                    std::abort();
                }
            }
        }
    }
};

CallWatch watch;
std::atomic<int> opened{0};
std::atomic<int> closedByHandler{0};

// One open session, as long as its close has not begun.
struct Live {
    KelvoSession* session = nullptr;
    std::atomic<int> entering{0};  // leaseholders not yet inside their call
};

class Slot {
public:
    // The session for one call, or null; the call must follow at once, then release().
    std::shared_ptr<Live> lease() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (live_)
            ++live_->entering;
        return live_;
    }
    static void entered(Live& live) { --live.entering; }

    // Takes the session (expected, or any) away from new leases; null when another close has it.
    std::shared_ptr<Live> beginClose(const Live* expected = nullptr) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!live_ || (expected && live_.get() != expected))
            return nullptr;
        return std::move(live_);
    }
    // Waits until every leaseholder has started its call, then closes.
    static void close(Live& live) {
        while (live.entering > 0)
            std::this_thread::yield();
        sleepMs(2);  // from its lease to inside the library is a few instructions
        kelvo_close(live.session);
    }

    bool empty() {
        std::lock_guard<std::mutex> lock(mutex_);
        return !live_ && !opening_;
    }
    bool startOpening() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (live_ || opening_)
            return false;
        opening_ = true;
        return true;
    }
    void opened(KelvoSession* session) {
        std::lock_guard<std::mutex> lock(mutex_);
        opening_ = false;
        if (session) {
            auto live = std::make_shared<Live>();
            live->session = session;
            all_.push_back(live);
            live_ = live;
        }
    }

private:
    std::mutex mutex_;
    std::shared_ptr<Live> live_;
    bool opening_ = false;
    std::vector<std::shared_ptr<Live>> all_;  // handlers' user pointers outlive their sessions
};

std::array<Slot, kSessions> slots;

// What an event handler does with each event, by the user pointer it was set with.
enum class HandlerKind { Query, Sleep, Close, Count };
struct HandlerUser {
    Live* live;
    Slot* slot;
    HandlerKind kind;
};
std::mutex handlerUsersMutex;
std::deque<HandlerUser> handlerUsers;  // stable addresses, alive to the end

void onEvent(const KelvoEvent* event, void* user) {
    auto* h = static_cast<HandlerUser*>(user);
    switch (h->kind) {
        case HandlerKind::Query: {
            int speed = 0;
            const long long start = nowMs();
            kelvo_get_jogging_speed(h->live->session, &speed);
            watch.checkBound("handler: kelvo_get_jogging_speed", nowMs() - start,
                             kReplyTimeoutMs + 100);
            break;
        }
        case HandlerKind::Sleep:
            sleepMs(kHandlerSleepMs);
            break;
        case HandlerKind::Close:
            // Now and then, and only once: the close follows when the handler returns.
            if (event->kind == KELVO_EVENT_POSITION) {
                if (std::shared_ptr<Live> live = h->slot->beginClose(h->live)) {
                    Slot::close(*live);
                    ++closedByHandler;
                }
            }
            break;
        case HandlerKind::Count:
            break;
    }
}

std::atomic<int> logLines{0};
void onLog(int, const char*, const char*, void*) {
    ++logLines;
}
void onLogRestoring(int, const char*, const char*, void*) {
    ++logLines;
    kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG);
}

class Worker {
public:
    Worker(int index, unsigned seed, std::string address, fs::path jobs)
        : index_(index), random_(seed), address_(std::move(address)), jobs_(std::move(jobs)) {}

    void run(long long endMs) {
        while (nowMs() < endMs)
            step();
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

    void step() {
        Slot& slot = slots[below(kSessions)];
        if (slot.empty()) {
            open(slot);
            return;
        }
        const int what = below(100);
        if (what < 3) {
            closeNow(slot);
            return;
        }
        if (what < 5) {
            setLogHandler();
            return;
        }
        std::shared_ptr<Live> live = slot.lease();
        if (!live)
            return;
        KelvoSession* const s = live->session;
        call(*live, what, s, slot);
    }

    void open(Slot& slot) {
        if (!slot.startOpening())
            return;
        KelvoSession* session = nullptr;
        watch.time(index_, "kelvo_open", kOpenTimeoutMs + 100,
                   [&] { session = kelvo_open(address_.c_str(), 0, kOpenTimeoutMs, nullptr); });
        if (session) {
            kelvo_set_reply_timeout(session, kReplyTimeoutMs);
            ++opened;
        }
        slot.opened(session);
    }

    void closeNow(Slot& slot) {
        if (std::shared_ptr<Live> live = slot.beginClose()) {
            watch.time(index_, "kelvo_close", 1000 + kHandlerSleepMs + kReplyTimeoutMs,
                       [&] { Slot::close(*live); });
        }
    }

    void setLogHandler() {
        static int dummy;
        switch (below(3)) {
            case 0:
                return watch.time(index_, "kelvo_set_log_handler", 0,
                                  [] { kelvo_set_log_handler(onLog, &dummy, KELVO_LOG_DEBUG); });
            case 1:
                return watch.time(index_, "kelvo_set_log_handler", 0, [] {
                    kelvo_set_log_handler(onLogRestoring, &dummy, KELVO_LOG_DEBUG);
                });
            default:
                return watch.time(index_, "kelvo_set_log_handler", 0,
                                  [] { kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG); });
        }
    }

    // One call on a leased session; the lease ends as the call starts.
    template <typename Call>
    void timed(Live& live, const char* what, int boundMs, Call call) {
        watch.time(index_, what, boundMs, [&] {
            Slot::entered(live);
            call();
        });
    }

    void call(Live& live, int what, KelvoSession* s, Slot& slot) {
        double values[16];
        int value = 0;
        if (what < 30) {
            switch (below(4)) {
                case 0:
                    return timed(live, "kelvo_get_din", kReplyTimeoutMs + 100,
                                 [&] { kelvo_get_din(s, values); });
                case 1:
                    return timed(live, "kelvo_get_current_position", kReplyTimeoutMs + 100,
                                 [&] { kelvo_get_current_position(s, values, below(4)); });
                case 2:
                    return timed(live, "kelvo_get_jogging_speed", kReplyTimeoutMs + 100,
                                 [&] { kelvo_get_jogging_speed(s, &value); });
                default:
                    return timed(live, "kelvo_get_robot_running_state", kReplyTimeoutMs + 100,
                                 [&] { kelvo_get_robot_running_state(s, &value); });
            }
        }
        if (what < 45) {
            double pos[6];
            for (double& p : pos)
                p = below(80) - 40;
            return timed(live, "kelvo_robot_movj", 0,
                         [&] { kelvo_robot_movj(s, pos, 1 + below(100), below(2)); });
        }
        if (what < 52)
            return timed(live, "kelvo_upload_job", 1000, [&] { kelvo_upload_job(s); });
        if (what < 58)
            return timed(live, "kelvo_sync_jobs", 1000, [&] { kelvo_sync_jobs(s); });
        if (what < 63) {
            const std::string dir = (jobs_ / std::to_string(below(2))).string();
            return timed(live, "kelvo_set_job_dir", 1000,
                         [&] { kelvo_set_job_dir(s, dir.c_str()); });
        }
        if (what < 67) {
            const int port = below(2) == 0 ? 5000 : 1;  // nothing listens on port 1
            return timed(live, "kelvo_set_transfer_port", 1000,
                         [&] { kelvo_set_transfer_port(s, port); });
        }
        if (what < 80) {
            return timed(live, "kelvo_set_event_handler", kHandlerSleepMs + kReplyTimeoutMs, [&] {
                if (below(3) == 0) {
                    kelvo_set_event_handler(s, nullptr, nullptr);
                } else {
                    kelvo_set_event_handler(s, onEvent, handlerUser(live, slot));
                }
            });
        }
        const int waitMs = below(kNextEventMaxMs);
        KelvoEvent event;
        timed(live, "kelvo_next_event", waitMs, [&] { kelvo_next_event(s, &event, waitMs); });
    }

    HandlerUser* handlerUser(Live& live, Slot& slot) {
        const auto kind = static_cast<HandlerKind>(below(static_cast<int>(HandlerKind::Count) + 1));
        std::lock_guard<std::mutex> lock(handlerUsersMutex);
        handlerUsers.push_back({&live, &slot, kind});
        return &handlerUsers.back();
    }

    const int index_;
    std::mt19937 random_;
    const std::string address_;
    const fs::path jobs_;
};

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lifecycle_host ADDRESS SECONDS\n");
        return 2;
    }
    const std::string address = argv[1];
    const long long seconds = std::atoll(argv[2]);
    const char* seedText = std::getenv("KELVO_SOAK_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                   : static_cast<unsigned>(std::random_device()());
    std::printf("lifecycle: %lld s against %s, seed %u\n", seconds, address.c_str(), seed);

    const fs::path root = fs::temp_directory_path() / ("kelvo-lifecycle-" + address);
    fs::remove_all(root);
    for (const char* dir : {"0", "1"}) {
        writeFile(root / "jobs" / dir / "robotJob" / "R1" / "A.JBR", "NOP\nEND\n");
        writeFile(root / "jobs" / dir / "R1" / "A.JBR", "NOP\nEND\n");
    }
    SimProcess sim(address, {"--job-dir", (root / "controller").string(), "--files-port", "5000"},
                   SimProcess::Controller::Simulated, SimProcess::Echo::Quiet);
    if (!sim.listening() || !sim.command("chaos " + std::to_string(seed))) {
        std::fprintf(stderr, "FAIL: no simulator\n");
        return 1;
    }

    std::thread watchdog([] { watch.watch(); });
    const long long endMs = nowMs() + seconds * 1000;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back(
            [=] { Worker(i, seed + unsigned(i), address, root / "jobs").run(endMs); });
    }
    for (std::thread& t : threads)
        t.join();
    for (Slot& slot : slots) {
        if (std::shared_ptr<Live> live = slot.beginClose())
            watch.time(0, "kelvo_close", 1000 + kHandlerSleepMs + kReplyTimeoutMs,
                       [&] { Slot::close(*live); });
    }
    kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG);
    watch.done = true;
    watchdog.join();
    sim.stop();
    fs::remove_all(root);

    std::printf("calls %lld, late %d, sessions %d (%d closed by their handler), log lines %d\n",
                watch.calls.load(), watch.late.load(), opened.load(), closedByHandler.load(),
                logLines.load());
    if (watch.late > 0) {
        std::printf("FAIL: %d calls past their bound\n", watch.late.load());
        return 1;
    }
    std::printf("PASS\n");
    return 0;
}
