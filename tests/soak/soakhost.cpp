// The soak hosts: programs built as customers build theirs (kelvo.h and the shared library, no
// Qt) that drive the library at random against kelvo-sim in chaos mode for a set time, every call
// timed against its bound and a watchdog ending the process on a hang. One table of calls, two
// hosts:
//
//   soak_host ADDRESS SECONDS [RSS_LIMIT_MIB]
// The flat calls: queries, moves, motion queues, jobs, uploads and synchronisations. It also fails
// on memory growth past the limit when one is given, on a file written under a hostile name
// outside the job directories, and when, once the chaos stops, one reconnect does not bring
// correct fresh values. Prints the calls made, the longest of each, RSS after warm-up and at the
// end.
//
//   lifecycle_host ADDRESS SECONDS
// The session calls from several threads on a few sessions, closing and reopening them, changing
// their transfer and handlers, while event handlers call back in, sleep or close the session
// themselves; LeakSanitizer, where built in, checks the end. A host may not start a call on a
// session once its close has begun, so every use of a session holds a lease, and a close waits
// until each leaseholder is inside its call.

#include "kelvo.h"
#include "simprocess.h"
#include "soaksupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

#ifdef KELVO_SOAK_SESSIONS
constexpr bool kSessionHost = true;
constexpr int kReplyTimeoutMs = 1000;
#else
constexpr bool kSessionHost = false;
constexpr int kReplyTimeoutMs = 3000;  // the library's default
#endif
// Generous bounds for a loaded machine: a query waits at most its reply timeout, everything else
// returns at once (a transfer call once its connection is up, at most about 1 s).
constexpr int kSlackMs = kSessionHost ? 1000 : 1400;
constexpr int kQueryMs = kReplyTimeoutMs + 100;
constexpr int kAtOnce = 0;
constexpr int kTransferMs = 1000;
constexpr int kHandlerSleepMs = 150;
constexpr int kNextEventMaxMs = 200;
constexpr int kThreads = kSessionHost ? 6 : 1;
constexpr int kSessions = 2;
constexpr int kOpenTimeoutMs = 2000;
constexpr int kHangMs = 30000;
constexpr int kReconnectMs = 15000;
constexpr int kSettleMs = 20000;
constexpr const char* kEscapeMarker = "kelvo-chaos-escape";
const std::string kJob = "NOP\nEND\n";

CallClock calls(kThreads, kSlackMs, kHangMs);
int failures = 0;

void fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    ++failures;
}

// Each thread's dice, and where its calls write.
thread_local std::mt19937 dice;
thread_local double values[16];
thread_local int value;
thread_local double a[6], b[6], c[6];  // move targets
fs::path jobsRoot;

int below(int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(dice);
}
double real(double bound) {
    return std::uniform_real_distribution<double>(-bound, bound)(dice);
}
int vel() {
    return 1 + below(100);
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
        point = ContinuousMotionPoint{};
        point.velocity = vel();
        point.type = below(9);  // 0 and 8 are no point types
        target(point.pos);
    }
    const auto count = static_cast<unsigned>(points.size());
    s ? void(kelvo_send_continuous_motion_queue(s, points.data(), count))
      : send_continuous_motion_queue(points.data(), count);
}

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
            calls.record("handler: kelvo_get_jogging_speed", monotonicMs() - start, kQueryMs);
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

thread_local Live* leased = nullptr;
thread_local Slot* leasedSlot = nullptr;

// A handler's user pointer for the leased session, or null for no handler.
HandlerUser* handlerUser() {
    const int kind = below(static_cast<int>(HandlerKind::Count) + 2);
    if (kind > static_cast<int>(HandlerKind::Count))
        return nullptr;
    std::lock_guard<std::mutex> lock(handlerUsersMutex);
    handlerUsers.push_back({leased, leasedSlot, static_cast<HandlerKind>(kind)});
    return &handlerUsers.back();
}

// The session form of a call on a session, the flat form on none.
#define EITHER(flat, session) (s ? void(kelvo_##session) : void(flat))

// Every call the hosts make: its bound, how often each host makes it, and the call with random
// arguments.
struct Action {
    const char* name;
    int boundMs;
    int flatWeight;
    int sessionWeight;
    void (*call)(KelvoSession* s);
};
const Action kActions[] = {
    {"get_din", kQueryMs, 1, 7, [](auto s) { EITHER(get_din(values), get_din(s, values)); }},
    {"get_dout", kQueryMs, 1, 0, [](auto s) { EITHER(get_dout(values), get_dout(s, values)); }},
    {"get_ain", kQueryMs, 1, 0, [](auto s) { EITHER(get_ain(values), get_ain(s, values)); }},
    {"get_aout", kQueryMs, 1, 0, [](auto s) { EITHER(get_aout(values), get_aout(s, values)); }},
    {"get_current_position", kQueryMs, 1, 6,
     [](auto s) {
         EITHER(get_current_position(values, below(4)), get_current_position(s, values, below(4)));
     }},
    {"get_current_sync_position", kQueryMs, 1, 0,
     [](auto s) {
         EITHER(get_current_sync_position(values), get_current_sync_position(s, values));
     }},
    {"get_robot_running_state", kQueryMs, 1, 6,
     [](auto s) { EITHER(get_robot_running_state(), get_robot_running_state(s, &value)); }},
    {"get_jogging_speed", kQueryMs, 1, 6,
     [](auto s) { EITHER(get_jogging_speed(), get_jogging_speed(s, &value)); }},
    {"get_current_mode", kQueryMs, 1, 0,
     [](auto s) { EITHER(get_current_mode(), get_current_mode(s, &value)); }},
    {"get_current_coord", kQueryMs, 1, 0,
     [](auto s) { EITHER(get_current_coord(), get_current_coord(s, &value)); }},
    {"servo_power_on", kQueryMs, 3, 0,
     [](auto s) { EITHER(servo_power_on(), servo_power_on(s, &value)); }},
    {"set_dout", kAtOnce, 1, 0,
     [](auto s) {
         EITHER(set_dout(1 + below(20), below(2)), set_dout(s, 1 + below(20), below(2)));
     }},
    {"set_aout", kAtOnce, 1, 0,
     [](auto s) {
         EITHER(set_aout(1 + below(20), real(1e4)), set_aout(s, 1 + below(20), real(1e4)));
     }},
    {"set_current_mode", kAtOnce, 1, 0,
     [](auto s) { EITHER(set_current_mode(below(3)), set_current_mode(s, below(3))); }},
    {"set_current_coord", kAtOnce, 1, 0,
     [](auto s) { EITHER(set_current_coord(below(4)), set_current_coord(s, below(4))); }},
    {"set_jogging_speed", kAtOnce, 1, 0,
     [](auto s) { EITHER(set_jogging_speed(below(104)), set_jogging_speed(s, below(104))); }},
    {"servo_power_off", kAtOnce, 1, 0,
     [](auto s) { EITHER(servo_power_off(), servo_power_off(s)); }},
    {"start_jogging", kAtOnce, 1, 0,
     [](auto s) {
         EITHER(start_jogging(1 + below(12), below(2)), start_jogging(s, 1 + below(12), below(2)));
     }},
    {"stop_jogging", kAtOnce, 1, 0,
     [](auto s) { EITHER(stop_jogging(1 + below(12)), stop_jogging(s, 1 + below(12))); }},
    {"robot_movj", kAtOnce, 2, 15,
     [](auto s) {
         EITHER(robot_movj(target(a), vel(), below(2)), robot_movj(s, target(a), vel(), below(2)));
     }},
    {"robot_movl", kAtOnce, 2, 0, [](auto) { robot_movl(target(a), vel(), below(2)); }},
    {"robot_movc", kAtOnce, 2, 0,
     [](auto) { robot_movc(target(a), target(b), target(c), vel(), below(2)); }},
    {"robot_movca", kAtOnce, 2, 0,
     [](auto) { robot_movca(target(a), target(b), target(c), vel(), below(2)); }},
    {"continuous_motion_mode", kAtOnce, 2, 0,
     [](auto s) {
         EITHER(continuous_motion_mode(below(3) != 0), continuous_motion_mode(s, below(3) != 0));
     }},
    {"send_continuous_motion_queue", kAtOnce, 2, 0, sendQueue},
    {"run_job", kAtOnce, 2, 0, [](auto s) { EITHER(run_job("SOAK"), run_job(s, "SOAK")); }},
    {"stop_job", kAtOnce, 2, 0, [](auto s) { EITHER(stop_job(), stop_job(s)); }},
    {"upload_job", kTransferMs, 3, 7, [](auto s) { EITHER(upload_job(), upload_job(s)); }},
    {"sync_jobs", kTransferMs, 3, 6, [](auto s) { EITHER(sync_jobs(), sync_jobs(s)); }},
    {"set_job_dir", kTransferMs, 0, 5,
     [](auto s) { kelvo_set_job_dir(s, (jobsRoot / std::to_string(below(2))).string().c_str()); }},
    {"set_transfer_port", kTransferMs, 0, 4,  // nothing listens on port 1
     [](auto s) { kelvo_set_transfer_port(s, below(2) ? 5000 : 1); }},
    {"set_event_handler", kHandlerSleepMs + kReplyTimeoutMs, 0, 13,
     [](auto s) {
         HandlerUser* user = handlerUser();
         kelvo_set_event_handler(s, user ? onEvent : nullptr, user);
     }},
    {"next_event", kNextEventMaxMs, 0, 20,
     [](auto s) {
         KelvoEvent event;
         kelvo_next_event(s, &event, below(kNextEventMaxMs));
     }},
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

// One thread of the session host.
class Worker {
public:
    Worker(int index, std::string address) : index_(index), address_(std::move(address)) {}

    void run(long long endMs) {
        while (monotonicMs() < endMs)
            step();
    }

private:
    void step() {
        Slot& slot = slots[below(kSessions)];
        if (slot.startOpening())
            return open(slot);
        const int what = below(100);
        if (what < 3)
            return closeNow(slot);
        if (what < 5)
            return setLogHandler();
        if (std::shared_ptr<Live> live = slot.lease())
            call(*live, slot);
    }

    void open(Slot& slot) {
        KelvoSession* session = nullptr;
        calls.time(index_, "kelvo_open", kOpenTimeoutMs + 100,
                   [&] { session = kelvo_open(address_.c_str(), 0, kOpenTimeoutMs, nullptr); });
        if (session) {
            kelvo_set_reply_timeout(session, kReplyTimeoutMs);
            ++opened;
        }
        slot.opened(session);
    }

    void closeNow(Slot& slot) {
        if (std::shared_ptr<Live> live = slot.beginClose())
            calls.time(index_, "kelvo_close", 1000 + kHandlerSleepMs + kReplyTimeoutMs,
                       [&] { Slot::close(*live); });
    }

    void setLogHandler() {
        static int user;
        static const KelvoLogHandler handlers[] = {onLog, onLogRestoring, nullptr};
        const KelvoLogHandler handler = handlers[below(3)];
        calls.time(index_, "kelvo_set_log_handler", 0,
                   [&] { kelvo_set_log_handler(handler, &user, KELVO_LOG_DEBUG); });
    }

    // One call on a leased session; the lease ends as the call starts.
    void call(Live& live, Slot& slot) {
        leased = &live;
        leasedSlot = &slot;
        const Action& action = anyAction();
        calls.time(index_, action.name, action.boundMs, [&] {
            Slot::entered(live);
            action.call(live.session);
        });
    }

    const int index_;
    const std::string address_;
};

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
            Worker(i, address).run(endMs);
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (Slot& slot : slots) {
        if (std::shared_ptr<Live> live = slot.beginClose())
            calls.time(0, "kelvo_close", 1000 + kHandlerSleepMs + kReplyTimeoutMs,
                       [&] { Slot::close(*live); });
    }
    kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG);
    sim.stop();
    fs::remove_all(root);
    std::printf("sessions %d (%d closed by their handler), log lines %d\n", opened.load(),
                closedByHandler.load(), logLines.load());
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

fs::path programDirectory() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool eventually(const std::function<bool()>& done, int timeoutMs) {
    const long long deadline = monotonicMs() + timeoutMs;
    while (!done()) {
        if (monotonicMs() > deadline)
            return false;
        sleepMs(50);
    }
    return true;
}

void checkFreshValuesAfterOneReconnect(SimProcess& sim, const fs::path& jobs,
                                       const fs::path& controllerJobs) {
    if (!sim.command("chaos off")) {
        fail("chaos off");
        return;
    }
    const int before = sim.accepted();
    if (!sim.command("drop"))
        fail("drop");
    if (!eventually([&] { return sim.accepted() == before + 1 && is_connected(); }, kReconnectMs)) {
        fail("no reconnect within " + std::to_string(kReconnectMs) + " ms");
        return;
    }
    // A query is ended by any answering report and then reads the cache as it stands, so each
    // value is read until it shows, within a bound, on this one connection.
    double at[16] = {};
    const auto shows = [&](const char* what, int boundMs, const std::function<void()>& call,
                           const std::function<bool()>& correct) {
        if (!eventually([&] { return calls.time(0, what, boundMs, call), correct(); }, kSettleMs))
            fail(std::string(what) + " does not show the controller's value");
    };

    // The robot stopped and ready: no position reports from here on until the move below. Inputs
    // only the simulator sets: every third one on.
    calls.time(0, "continuous_motion_mode", kAtOnce, [] { continuous_motion_mode(0); });
    std::vector<std::string> lines = {"alarm 1", "clear 1", "ain 3 1234"};
    for (int port = 1; port <= 16; ++port)
        lines.push_back("din " + std::to_string(port) + (port % 3 ? " 0" : " 1"));
    for (const std::string& line : lines) {
        if (!sim.command(line))
            fail(line);
    }
    const double din[16] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
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
    shows(
        "get_current_position", kQueryMs, [&] { get_current_position(at, 0); },
        [&] {
            return std::equal(target, target + 6, at,
                              [](double x, double y) { return std::fabs(x - y) < 1e-6; });
        });

    // Job files go both ways again: an upload (once any transfer left hanging by the chaos has
    // given up) and a synchronisation.
    fs::remove(controllerJobs / "R1" / "SOAK.JBR");
    shows(
        "upload_job", kTransferMs, [] { upload_job(); },
        [&] {
            return eventually([&] { return readFile(controllerJobs / "R1" / "SOAK.JBR") == kJob; },
                              2000);
        });
    writeFile(controllerJobs / "R2" / "FROMCTL.JBR", kJob);
    shows(
        "sync_jobs", kTransferMs, [] { sync_jobs(); },
        [&] {
            return eventually([&] { return readFile(jobs / "R2" / "FROMCTL.JBR") == kJob; }, 2000);
        });

    if (sim.accepted() != before + 1)
        fail("more than one reconnect: " + std::to_string(sim.accepted() - before));
}

// Files the hostile names would have written outside the job directories: anywhere in the build
// tree, or straight in the temporary directory.
void checkNothingEscaped(const fs::path& buildTree) {
    const auto walk = [](auto it) {
        std::error_code error;
        for (decltype(it) end; !error && it != end; it.increment(error)) {
            if (it->path().filename().string().find(kEscapeMarker) != std::string::npos)
                fail("written under a hostile name: " + it->path().string());
        }
    };
    const auto options = fs::directory_options::skip_permission_denied;
    walk(fs::recursive_directory_iterator(buildTree, options));
    walk(fs::directory_iterator(fs::temp_directory_path(), options));
}

void runFlat(const std::string& address, long long seconds, long rssLimitMiB, unsigned seed) {
    const fs::path jobs = programDirectory() / "robotJob";
    const fs::path controllerJobs = programDirectory() / ("soak-controller-" + address);
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
    long peakRss = 0;
    while (monotonicMs() < start + seconds * 1000) {
        const Action& action = anyAction();
        calls.time(0, action.name, action.boundMs, [&] { action.call(nullptr); });
        while (sim.nextFrame(0)) {
        }
        if (warmRss < 0 && monotonicMs() >= warmedUp)
            warmRss = residentKiB();
        peakRss = std::max(peakRss, residentKiB());
        sleepMs(5);
    }
    const long endRss = residentKiB();

    checkFreshValuesAfterOneReconnect(sim, jobs, controllerJobs);
    const int connections = sim.accepted();
    sim.stop();
    checkNothingEscaped(programDirectory().parent_path().parent_path());
    const long growthKiB = endRss - warmRss;
    std::printf(
        "connections %d; RSS after warm-up %ld KiB, at the end %ld KiB, peak %ld KiB: "
        "growth %ld KiB\n",
        connections, warmRss, endRss, peakRss, growthKiB);
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
    const unsigned seed = seedFromEnvironment();
    std::printf("%s: %lld s against %s, seed %u\n", argv[0], seconds, address.c_str(), seed);
    if (kSessionHost)
        runSessions(address, seconds, seed);
    else
        runFlat(address, seconds, argc == 4 ? std::atol(argv[3]) : 0, seed);
    std::printf("figures:\n%scalls %lld, late %d\n", calls.report().c_str(), calls.count(),
                calls.lateCalls());
    if (calls.lateCalls() > 0)
        fail(std::to_string(calls.lateCalls()) + " calls overran their bound");
    std::printf("%s\n", failures == 0 ? "PASS" : "FAIL");
    return failures == 0 ? 0 : 1;
}
