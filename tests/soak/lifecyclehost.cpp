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
#include "soaksupport.h"

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

CallClock watch(kThreads, kSlackMs, kHangMs);
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
            const long long start = monotonicMs();
            kelvo_get_jogging_speed(h->live->session, &speed);
            watch.record("handler: kelvo_get_jogging_speed", monotonicMs() - start,
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

// Each thread's dice and the session it calls, for the actions.
thread_local std::mt19937 dice;
thread_local Live* leased = nullptr;
thread_local Slot* leasedSlot = nullptr;
thread_local double values[16];  // what the getters write, never read
thread_local int value;
fs::path jobsRoot;

int below(int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(dice);
}

// A handler's user pointer for the leased session, or null for no handler.
HandlerUser* handlerUser() {
    const int kind = below(static_cast<int>(HandlerKind::Count) + 2);
    if (kind > static_cast<int>(HandlerKind::Count))
        return nullptr;
    std::lock_guard<std::mutex> lock(handlerUsersMutex);
    handlerUsers.push_back({leased, leasedSlot, static_cast<HandlerKind>(kind)});
    return &handlerUsers.back();
}

void movj(KelvoSession* s) {
    double pos[6];
    for (double& p : pos)
        p = below(80) - 40;
    kelvo_robot_movj(s, pos, 1 + below(100), below(2));
}

// Every call on a session: its bound, how often it comes (in a hundred steps, with closes and log
// handler changes), and the call with random arguments.
struct Action {
    const char* name;
    int boundMs;
    int weight;
    void (*call)(KelvoSession*);
};
constexpr int kQueryMs = kReplyTimeoutMs + 100;
const Action kActions[] = {
    {"kelvo_get_din", kQueryMs, 7, [](KelvoSession* s) { kelvo_get_din(s, values); }},
    {"kelvo_get_current_position", kQueryMs, 6,
     [](KelvoSession* s) { kelvo_get_current_position(s, values, below(4)); }},
    {"kelvo_get_jogging_speed", kQueryMs, 6,
     [](KelvoSession* s) { kelvo_get_jogging_speed(s, &value); }},
    {"kelvo_get_robot_running_state", kQueryMs, 6,
     [](KelvoSession* s) { kelvo_get_robot_running_state(s, &value); }},
    {"kelvo_robot_movj", 0, 15, movj},
    {"kelvo_upload_job", 1000, 7, [](KelvoSession* s) { kelvo_upload_job(s); }},
    {"kelvo_sync_jobs", 1000, 6, [](KelvoSession* s) { kelvo_sync_jobs(s); }},
    {"kelvo_set_job_dir", 1000, 5,
     [](KelvoSession* s) {
         kelvo_set_job_dir(s, (jobsRoot / std::to_string(below(2))).string().c_str());
     }},
    {"kelvo_set_transfer_port", 1000, 4,  // nothing listens on port 1
     [](KelvoSession* s) { kelvo_set_transfer_port(s, below(2) ? 5000 : 1); }},
    {"kelvo_set_event_handler", kHandlerSleepMs + kReplyTimeoutMs, 13,
     [](KelvoSession* s) {
         HandlerUser* user = handlerUser();
         kelvo_set_event_handler(s, user ? onEvent : nullptr, user);
     }},
    {"kelvo_next_event", kNextEventMaxMs, 20,
     [](KelvoSession* s) {
         KelvoEvent event;
         kelvo_next_event(s, &event, below(kNextEventMaxMs));
     }},
};

class Worker {
public:
    Worker(int index, unsigned seed, std::string address)
        : index_(index), address_(std::move(address)) {
        dice.seed(seed);
    }

    void run(long long endMs) {
        while (monotonicMs() < endMs)
            step();
    }

private:
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
        if (std::shared_ptr<Live> live = slot.lease())
            call(*live, what - 5, slot);
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
        static int user;
        static const KelvoLogHandler handlers[] = {onLog, onLogRestoring, nullptr};
        const KelvoLogHandler handler = handlers[below(3)];
        watch.time(index_, "kelvo_set_log_handler", 0,
                   [&] { kelvo_set_log_handler(handler, &user, KELVO_LOG_DEBUG); });
    }

    // One call on a leased session; the lease ends as the call starts.
    void call(Live& live, int what, Slot& slot) {
        leased = &live;
        leasedSlot = &slot;
        for (const Action& action : kActions) {
            what -= action.weight;
            if (what < 0) {
                return watch.time(index_, action.name, action.boundMs, [&] {
                    Slot::entered(live);
                    action.call(live.session);
                });
            }
        }
        Slot::entered(live);  // no call: the lease ends here
    }

    const int index_;
    const std::string address_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lifecycle_host ADDRESS SECONDS\n");
        return 2;
    }
    const std::string address = argv[1];
    const long long seconds = std::atoll(argv[2]);
    const unsigned seed = seedFromEnvironment();
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

    const long long endMs = monotonicMs() + seconds * 1000;
    jobsRoot = root / "jobs";
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([=] { Worker(i, seed + unsigned(i), address).run(endMs); });
    }
    for (std::thread& t : threads)
        t.join();
    for (Slot& slot : slots) {
        if (std::shared_ptr<Live> live = slot.beginClose())
            watch.time(0, "kelvo_close", 1000 + kHandlerSleepMs + kReplyTimeoutMs,
                       [&] { Slot::close(*live); });
    }
    kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG);
    sim.stop();
    fs::remove_all(root);

    std::printf("calls %lld, late %d, sessions %d (%d closed by their handler), log lines %d\n",
                watch.calls(), watch.lateCalls(), opened.load(), closedByHandler.load(),
                logLines.load());
    if (watch.lateCalls() > 0) {
        std::printf("FAIL: %d calls past their bound\n", watch.lateCalls());
        return 1;
    }
    std::printf("PASS\n");
    return 0;
}
