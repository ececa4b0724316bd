// The soak hosts: programs built as customers build theirs (kelvo.h and the shared library, no
// Qt) that drive the library at random against kelvo-sim in chaos mode for a set time, every call
// timed against its bound and a watchdog ending the process on a hang. One table of calls, two
// hosts:
//
//   soak_host ADDRESS SECONDS [RSS_LIMIT_MIB]
// The flat calls: queries, moves, motion queues, jobs, uploads and synchronisations. It also fails
// on memory growth past the limit when one is given, on a file written under a hostile name
// outside the job directories, and when, once the chaos stops, one reconnect does not bring
// correct fresh values. Prints the calls made, RSS after warm-up and at the end.
//
//   lifecycle_host ADDRESS SECONDS
// The session calls from several threads on a few sessions, closing and reopening them, changing
// their transfer and handlers, while event handlers call back in, sleep or close the session
// themselves; LeakSanitizer, where built in, checks the end. A host may not start a call on a
// session once its close has begun, so every use of a session holds a lease, and a close waits
// until each leaseholder is inside its call.

#include "kelvo.h"
#include "simprocess.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

#ifdef KELVO_SOAK_SESSIONS
constexpr bool kSessionHost = true;
#else
constexpr bool kSessionHost = false;
#endif
constexpr int kReplyTimeoutMs = kSessionHost ? 1000 : 3000;  // the flat host keeps the default
// Generous bounds for a loaded machine: a query waits at most its reply timeout, everything else
// returns at once (a transfer call once its connection is up, at most about 1 s).
constexpr int kSlackMs = kSessionHost ? 1000 : 1400, kQueryMs = kReplyTimeoutMs + 100;
constexpr int kAtOnce = 0, kTransferMs = 1000, kHandlerSleepMs = 150, kNextEventMaxMs = 200;
constexpr int kThreads = kSessionHost ? 6 : 1, kSessions = 2, kOpenTimeoutMs = 2000;
constexpr int kHangMs = 30000, kReconnectMs = 15000, kSettleMs = 20000;
const std::string kJob = "NOP\nEND\n";

long long monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Times every call of a host, one slot per calling thread, against its bound plus a slack for a
// loaded machine. A watchdog ends the process with a message when a call has not returned after
// kHangMs, so a hang fails the run instead of stalling it.
struct CallClock {
    ~CallClock() {
        stopping_ = true;
        watchdog_.join();
    }

    template <typename Call>
    void time(int slot, const char* name, int boundMs, Call call) {
        Slot& s = slots_[slot];
        s.since = monotonicMs();
        s.name = name;
        call();
        s.name = nullptr;
        record(name, monotonicMs() - s.since, boundMs);
    }
    // A call timed by its caller.
    void record(const char* name, long long tookMs, int boundMs) {
        ++calls;
        if (tookMs > boundMs + kSlackMs) {
            ++late;
            std::fprintf(stderr, "LATE: %s took %lld ms (bound %d ms)\n", name, tookMs, boundMs);
        }
    }

    std::atomic<long long> calls{0};
    std::atomic<int> late{0};

private:
    struct Slot {
        std::atomic<const char*> name{nullptr};
        std::atomic<long long> since{0};
    };
    void watch() {
        while (!stopping_) {
            sleepMs(100);
            for (const Slot& slot : slots_) {
                const char* name = slot.name;
                const long long took = monotonicMs() - slot.since;
                if (name && took > kHangMs) {
                    std::fprintf(stderr, "HANG: %s has not returned after %lld ms\n", name, took);
                    std::abort();
                }
            }
        }
    }

    Slot slots_[kThreads];
    std::atomic<bool> stopping_{false};
    std::thread watchdog_{[this] { watch(); }};
};

CallClock calls;
int failures = 0;

void fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    ++failures;
}

// Each thread's dice, and where its calls write.
thread_local std::mt19937 dice;
thread_local double values[16], a[6], b[6], c[6];  // a to c: move targets
thread_local int value;
thread_local KelvoEvent nextEvent;
fs::path jobsRoot;

int below(int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(dice);
}
double real(double bound) {
    return std::uniform_real_distribution<double>(-bound, bound)(dice);
}
// Joint targets mostly within reach, now and then far out.
const double* target(double* pos) {
    const double spread = below(10) == 0 ? 400 : 40;
    for (int i = 0; i < 6; ++i)
        pos[i] = real(spread);
    return pos;
}

void sendQueue(KelvoSession* s) {
    std::vector<ContinuousMotionPoint> points(static_cast<size_t>(1 + below(120)));
    for (ContinuousMotionPoint& point : points) {
        point.velocity = 1 + below(100);
        point.type = below(9);  // 0 and 8 are no point types
        target(point.pos);
    }
    const auto count = static_cast<unsigned>(points.size());
    s ? void(kelvo_send_continuous_motion_queue(s, points.data(), count))
      : send_continuous_motion_queue(points.data(), count);
}

std::atomic<int> sessionsOpened{0};

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

    // True when this caller is to open the session: none is open or being opened.
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
            ++sessionsOpened;
            live_ = std::make_shared<Live>();
            live_->session = session;
            all_.push_back(live_);
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
            calls.record("handler: kelvo_get_jogging_speed", monotonicMs() - start, kQueryMs);
            break;
        }
        case HandlerKind::Sleep:
            sleepMs(kHandlerSleepMs);
            break;
        case HandlerKind::Close:
            // Now and then, and only once: the close follows when the handler returns.
            if (event->kind == KELVO_EVENT_POSITION) {
                if (std::shared_ptr<Live> live = h->slot->beginClose(h->live))
                    Slot::close(*live);
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

thread_local Live* leased = nullptr;
thread_local Slot* leasedSlot = nullptr;

// A handler of a random kind on the leased session, or none.
void setHandler(KelvoSession* s) {
    const int kind = below(static_cast<int>(HandlerKind::Count) + 2);
    if (kind > static_cast<int>(HandlerKind::Count)) {
        kelvo_set_event_handler(s, nullptr, nullptr);
        return;
    }
    std::unique_lock<std::mutex> lock(handlerUsersMutex);
    handlerUsers.push_back({leased, leasedSlot, static_cast<HandlerKind>(kind)});
    HandlerUser* user = &handlerUsers.back();
    lock.unlock();
    kelvo_set_event_handler(s, onEvent, user);
}

// A call in its flat form, or in its session form on s when there is one: with the same
// arguments; with none; or, for a query answered in the flat form's result, into value.
#define BOTH(name, ...) \
    [](auto s) { s ? void(kelvo_##name(s, __VA_ARGS__)) : void(name(__VA_ARGS__)); }, #name
#define BARE(name) [](auto s) { s ? void(kelvo_##name(s)) : void(name()); }, #name
#define INTO(name) [](auto s) { s ? void(kelvo_##name(s, &value)) : void(name()); }, #name

// Every call the hosts make, with random arguments: its bound and how often each host makes it.
struct Action {
    void (*call)(KelvoSession* s);
    const char* name;
    int boundMs;
    int flatWeight;
    int sessionWeight;
};
const Action kActions[] = {
    {BOTH(get_din, values), kQueryMs, 1, 7},
    {BOTH(get_dout, values), kQueryMs, 1, 0},
    {BOTH(get_ain, values), kQueryMs, 1, 0},
    {BOTH(get_aout, values), kQueryMs, 1, 0},
    {BOTH(get_current_position, values, below(4)), kQueryMs, 1, 6},
    {BOTH(get_current_sync_position, values), kQueryMs, 1, 0},
    {INTO(get_robot_running_state), kQueryMs, 1, 6},
    {INTO(get_jogging_speed), kQueryMs, 1, 6},
    {INTO(get_current_mode), kQueryMs, 1, 0},
    {INTO(get_current_coord), kQueryMs, 1, 0},
    {INTO(servo_power_on), kQueryMs, 3, 0},
    {BOTH(set_dout, 1 + below(20), below(2)), kAtOnce, 1, 0},
    {BOTH(set_aout, 1 + below(20), real(1e4)), kAtOnce, 1, 0},
    {BOTH(set_current_mode, below(3)), kAtOnce, 1, 0},
    {BOTH(set_current_coord, below(4)), kAtOnce, 1, 0},
    {BOTH(set_jogging_speed, below(104)), kAtOnce, 1, 0},
    {BARE(servo_power_off), kAtOnce, 1, 0},
    {BOTH(start_jogging, 1 + below(12), below(2)), kAtOnce, 1, 0},
    {BOTH(stop_jogging, 1 + below(12)), kAtOnce, 1, 0},
    {BOTH(robot_movj, target(a), 1 + below(100), below(2)), kAtOnce, 2, 15},
    {[](auto) { robot_movl(target(a), 1 + below(100), below(2)); }, "robot_movl", kAtOnce, 2, 0},
    {[](auto) { robot_movc(target(a), target(b), target(c), 1 + below(100), below(2)); },
     "robot_movc", kAtOnce, 2, 0},
    {[](auto) { robot_movca(target(a), target(b), target(c), 1 + below(100), below(2)); },
     "robot_movca", kAtOnce, 2, 0},
    {BOTH(continuous_motion_mode, below(3) != 0), kAtOnce, 2, 0},
    {sendQueue, "send_continuous_motion_queue", kAtOnce, 2, 0},
    {BOTH(run_job, "SOAK"), kAtOnce, 2, 0},
    {BARE(stop_job), kAtOnce, 2, 0},
    {BARE(upload_job), kTransferMs, 3, 7},
    {BARE(sync_jobs), kTransferMs, 3, 6},
    {[](auto s) { kelvo_set_job_dir(s, (jobsRoot / std::to_string(below(2))).string().c_str()); },
     "set_job_dir", kTransferMs, 0, 5},
    {[](auto s) { kelvo_set_transfer_port(s, below(2) ? 5000 : 1); },  // nothing listens on 1
     "set_transfer_port", kTransferMs, 0, 4},
    {setHandler, "set_event_handler", kHandlerSleepMs + kReplyTimeoutMs, 0, 13},
    {[](auto s) { kelvo_next_event(s, &nextEvent, below(kNextEventMaxMs)); }, "next_event",
     kNextEventMaxMs, 0, 20},
};

// This host's actions, each as often as its weight says.
std::vector<const Action*> weighted() {
    std::vector<const Action*> actions;
    for (const Action& action : kActions) {
        const int weight = kSessionHost ? action.sessionWeight : action.flatWeight;
        actions.insert(actions.end(), static_cast<size_t>(weight), &action);
    }
    return actions;
}
const std::vector<const Action*> kWeighted = weighted();
const Action& anyAction() {
    return *kWeighted[static_cast<size_t>(below(int(kWeighted.size())))];
}

// Closes the slot's session unless another close has it.
void closeNow(Slot& slot, int thread) {
    if (std::shared_ptr<Live> live = slot.beginClose())
        calls.time(thread, "kelvo_close", 1000 + kHandlerSleepMs + kReplyTimeoutMs,
                   [&] { Slot::close(*live); });
}

// One thread of the session host: it opens a slot's session where none is; otherwise now and then
// closes it or changes the log handler, and mostly makes a call on it, the lease ending as the
// call starts.
void work(int thread, const std::string& address, long long endMs) {
    static int logUser;
    static const KelvoLogHandler logHandlers[] = {onLog, onLogRestoring, nullptr};
    while (monotonicMs() < endMs) {
        Slot& slot = slots[below(kSessions)];
        if (slot.startOpening()) {
            KelvoSession* session = nullptr;
            calls.time(thread, "kelvo_open", kOpenTimeoutMs + 100,
                       [&] { session = kelvo_open(address.c_str(), 0, kOpenTimeoutMs, nullptr); });
            if (session)
                kelvo_set_reply_timeout(session, kReplyTimeoutMs);
            slot.opened(session);
            continue;
        }
        const int what = below(100);
        if (what < 3) {
            closeNow(slot, thread);
        } else if (what < 5) {
            const KelvoLogHandler handler = logHandlers[below(3)];
            calls.time(thread, "kelvo_set_log_handler", 0,
                       [&] { kelvo_set_log_handler(handler, &logUser, KELVO_LOG_DEBUG); });
        } else if (std::shared_ptr<Live> live = slot.lease()) {
            leased = live.get();
            leasedSlot = &slot;
            const Action& action = anyAction();
            calls.time(thread, action.name, action.boundMs, [&] {
                --live->entering;  // inside the call from here
                action.call(live->session);
            });
        }
    }
}

void runSessions(const std::string& address, long long seconds, unsigned seed) {
    const fs::path root = fs::temp_directory_path() / ("kelvo-lifecycle-" + address);
    fs::remove_all(root);
    for (const char* dir : {"0", "1"}) {
        writeFile(root / "jobs" / dir / "robotJob" / "R1" / "A.JBR", kJob);
        writeFile(root / "jobs" / dir / "R1" / "A.JBR", kJob);
    }
    SimProcess sim(address, {"--job-dir", (root / "controller").string(), "--files-port", "5000"},
                   SimProcess::Controller::Simulated, SimProcess::Echo::Quiet);
    if (!sim.listening() || !sim.command("chaos " + std::to_string(seed)))
        return fail("no simulator");

    const long long endMs = monotonicMs() + seconds * 1000;
    jobsRoot = root / "jobs";
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([=] {
            dice.seed(seed + unsigned(i));
            work(i, address, endMs);
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (Slot& slot : slots)
        closeNow(slot, 0);
    kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG);
    sim.stop();
    fs::remove_all(root);
    std::printf("sessions %d, log lines %d\n", sessionsOpened.load(), logLines.load());
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool eventually(const std::function<bool()>& done, int timeoutMs) {
    for (const long long deadline = monotonicMs() + timeoutMs; !done(); sleepMs(50))
        if (monotonicMs() > deadline)
            return false;
    return true;
}

bool console(SimProcess& sim, const std::string& line) {
    return sim.command(line) || (fail(line), false);
}

void checkFreshValuesAfterOneReconnect(SimProcess& sim, const fs::path& jobs,
                                       const fs::path& controllerJobs) {
    const int before = sim.accepted();
    if (!console(sim, "chaos off") || !console(sim, "drop") ||
        !eventually([&] { return sim.accepted() == before + 1 && is_connected(); }, kReconnectMs))
        return fail("no reconnect within " + std::to_string(kReconnectMs) + " ms");
    // A query is ended by any answering report and then reads the cache as it stands, so each
    // value is read until it shows, within a bound, on this one connection.
    double at[16] = {};
    const auto shows = [&](const char* what, int boundMs, const std::function<void()>& call,
                           const std::function<bool()>& correct) {
        if (!eventually([&] { return calls.time(0, what, boundMs, call), correct(); }, kSettleMs))
            fail(std::string(what) + " does not show the controller's value");
    };
    const auto arrives = [](const fs::path& path) {
        const auto written = [&] {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {}) == kJob;
        };
        return eventually(written, 2000);
    };

    // The robot stopped and ready: no position reports from here on until the move below. Inputs
    // only the simulator sets: every third one on.
    calls.time(0, "continuous_motion_mode", kAtOnce, [] { continuous_motion_mode(0); });
    for (const char* line : {"alarm 1", "clear 1", "ain 3 1234"})
        console(sim, line);
    double din[16] = {};
    for (int port = 1; port <= 16; ++port) {
        din[port - 1] = port % 3 == 0;
        console(sim, "din " + std::to_string(port) + (port % 3 ? " 0" : " 1"));
    }
    shows(
        "get_din", kQueryMs, [&] { get_din(at); }, [&] { return std::equal(din, din + 16, at); });
    shows(
        "get_ain", kQueryMs, [&] { get_ain(at); }, [&] { return at[2] == 1234; });

    // Remote mode, where a ready robot moves: a joint move ends where it was sent.
    calls.time(0, "set_current_mode", kAtOnce, [] { set_current_mode(1); });
    int mode = -1;
    shows(
        "get_current_mode", kQueryMs, [&] { mode = get_current_mode(); },
        [&] { return mode == 1; });
    const double target[6] = {12.5, -20, 30, 5, 40, -15};
    calls.time(0, "robot_movj", kAtOnce, [&] { robot_movj(target, 100, 0); });
    const auto near = [](double x, double y) { return std::fabs(x - y) < 1e-6; };
    shows(
        "get_current_position", kQueryMs, [&] { get_current_position(at, 0); },
        [&] { return std::equal(target, target + 6, at, near); });

    // Job files go both ways again: an upload (once any transfer left hanging by the chaos has
    // given up) and a synchronisation.
    fs::remove(controllerJobs / "R1" / "SOAK.JBR");
    shows(
        "upload_job", kTransferMs, [] { upload_job(); },
        [&] { return arrives(controllerJobs / "R1" / "SOAK.JBR"); });
    writeFile(controllerJobs / "R2" / "FROMCTL.JBR", kJob);
    shows(
        "sync_jobs", kTransferMs, [] { sync_jobs(); },
        [&] { return arrives(jobs / "R2" / "FROMCTL.JBR"); });

    if (sim.accepted() != before + 1)
        fail("more than one reconnect: " + std::to_string(sim.accepted() - before));
}

// Files the hostile names would have written outside the job directories: anywhere in the build
// tree, or straight in the temporary directory.
void checkNothingEscaped(const fs::path& buildTree) {
    const auto walk = [](auto it) {
        std::error_code error;
        for (decltype(it) end; !error && it != end; it.increment(error))
            if (it->path().filename().string().find("kelvo-chaos-escape") != std::string::npos)
                fail("written under a hostile name: " + it->path().string());
    };
    const auto options = fs::directory_options::skip_permission_denied;
    walk(fs::recursive_directory_iterator(buildTree, options));
    walk(fs::directory_iterator(fs::temp_directory_path(), options));
}

void runFlat(const std::string& address, long long seconds, long rssLimitMiB, unsigned seed) {
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path jobs = here / "robotJob";
    const fs::path controllerJobs = here / ("soak-controller-" + address);
    fs::remove_all(jobs);
    fs::remove_all(controllerJobs);
    writeFile(jobs / "R1" / "SOAK.JBR", kJob);
    writeFile(jobs / "R1" / "LONG.JBR", std::string(100000, 'x'));
    writeFile(jobs / "R2" / "TWO.JBP", "two");

    SimProcess sim(address, {"--job-dir", controllerJobs.string(), "--files-port", "5000"},
                   SimProcess::Controller::Simulated);
    if (!sim.listening() || !connect_robot(address.c_str()))
        return fail("no simulator or no connection");
    sim.command("chaos " + std::to_string(seed));
    dice.seed(seed);
    const long long start = monotonicMs();
    // Warm-up: a fifth of the run, at most a minute.
    const long long warmedUp = start + std::min(seconds * 200, 60000LL);
    long warmRss = -1;
    while (monotonicMs() < start + seconds * 1000) {
        const Action& action = anyAction();
        calls.time(0, action.name, action.boundMs, [&] { action.call(nullptr); });
        while (sim.nextFrame(0)) {
        }
        if (warmRss < 0 && monotonicMs() >= warmedUp)
            warmRss = residentKiB();
        sleepMs(5);
    }
    const long endRss = residentKiB();

    checkFreshValuesAfterOneReconnect(sim, jobs, controllerJobs);
    const int connections = sim.accepted();
    sim.stop();
    checkNothingEscaped(here.parent_path().parent_path());
    const long growthKiB = endRss - warmRss;
    std::printf("connections %d; RSS after warm-up %ld KiB, at the end %ld KiB: growth %ld KiB\n",
                connections, warmRss, endRss, growthKiB);
    if (rssLimitMiB > 0 && growthKiB > rssLimitMiB * 1024)
        fail("RSS grew by " + std::to_string(growthKiB) + " KiB");
    fs::remove_all(jobs);
    fs::remove_all(controllerJobs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > (kSessionHost ? 3 : 4)) {
        std::fprintf(stderr, "usage: %s ADDRESS SECONDS%s\n", argv[0],
                     kSessionHost ? "" : " [RSS_LIMIT_MIB]");
        return 2;
    }
    const std::string address = argv[1];
    const long long seconds = std::atoll(argv[2]);
    // KELVO_SOAK_SEED repeats a run whose seed a failure printed.
    const char* seedText = std::getenv("KELVO_SOAK_SEED");
    const unsigned seed =
        seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : unsigned(std::random_device()());
    std::printf("%s: %lld s against %s, seed %u\n", argv[0], seconds, address.c_str(), seed);
    kSessionHost ? runSessions(address, seconds, seed)
                 : runFlat(address, seconds, argc == 4 ? std::atol(argv[3]) : 0, seed);
    std::printf("calls %lld, late %d\n", calls.calls.load(), calls.late.load());
    if (calls.late > 0)
        fail(std::to_string(calls.late) + " calls overran their bound");
    std::printf("%s\n", failures == 0 ? "PASS" : "FAIL");
    return failures == 0 ? 0 : 1;
}
