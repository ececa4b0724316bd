// The soak: a host program, built as customers build theirs (kelvo.h and the shared library, no
// Qt), drives the library through queries, moves, motion queues, jobs, uploads and
// synchronisations against kelvo-sim in chaos mode for a set time. It fails on a call that
// overruns its bound (a hang ends the process), on memory growth past a limit when one is given,
// on a file written under a hostile name outside the job directories, and when, once the chaos
// stops, one reconnect does not bring correct fresh values.
//
//   soak_host ADDRESS SECONDS [RSS_LIMIT_MIB]
// Prints its figures: calls made, the longest of each, RSS after warm-up and at the end.

#include "kelvo.h"
#include "simprocess.h"
#include "soaksupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kReplyTimeoutMs = 3000;  // the library's default
// Generous bounds for a loaded machine: a query waits at most its reply timeout, everything else
// returns at once (an upload once the transfer connection is up, at most about 1 s).
constexpr int kQueryBoundMs = kReplyTimeoutMs + 1500;
constexpr int kRequestBoundMs = 1000;
constexpr int kUploadBoundMs = 2500;
constexpr int kHangMs = 30000;
constexpr int kReconnectMs = 15000;
constexpr int kSettleMs = 20000;
constexpr const char* kEscapeMarker = "kelvo-chaos-escape";
const std::string kJob = "NOP\nEND\n";

int failures = 0;

void fail(const std::string& what) {
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    ++failures;
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

std::mt19937 dice;
int below(int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(dice);
}
int vel() {
    return 1 + below(100);
}
// Joint targets mostly within reach, now and then far out.
const double* target(double* pos) {
    const double spread = below(10) == 0 ? 400 : 40;
    for (int i = 0; i < 6; ++i)
        pos[i] = std::uniform_real_distribution<double>(-spread, spread)(dice);
    return pos;
}
double a[6], b[6], c[6];  // move targets
double values[16];        // what the getters write, never read

void sendQueue() {
    std::vector<ContinuousMotionPoint> points(static_cast<size_t>(1 + below(120)));
    for (ContinuousMotionPoint& point : points) {
        point = ContinuousMotionPoint{};
        point.velocity = vel();
        point.type = below(9);  // 0 and 8 are no point types
        target(point.pos);
    }
    send_continuous_motion_queue(points.data(), static_cast<unsigned>(points.size()));
}

// Every call the soak makes: its bound, how often it comes, and the call with random arguments.
struct Action {
    const char* name;
    int boundMs;
    int weight;
    void (*call)();
};
const Action kActions[] = {
    {"get_din", kQueryBoundMs, 1, [] { get_din(values); }},
    {"get_dout", kQueryBoundMs, 1, [] { get_dout(values); }},
    {"get_ain", kQueryBoundMs, 1, [] { get_ain(values); }},
    {"get_aout", kQueryBoundMs, 1, [] { get_aout(values); }},
    {"get_current_position", kQueryBoundMs, 1, [] { get_current_position(values, below(4)); }},
    {"get_current_sync_position", kQueryBoundMs, 1, [] { get_current_sync_position(values); }},
    {"get_robot_running_state", kQueryBoundMs, 1, [] { get_robot_running_state(); }},
    {"get_jogging_speed", kQueryBoundMs, 1, [] { get_jogging_speed(); }},
    {"get_current_mode", kQueryBoundMs, 1, [] { get_current_mode(); }},
    {"get_current_coord", kQueryBoundMs, 1, [] { get_current_coord(); }},
    {"servo_power_on", kQueryBoundMs, 3, [] { servo_power_on(); }},
    {"set_dout", kRequestBoundMs, 1, [] { set_dout(1 + below(20), below(2)); }},
    {"set_aout", kRequestBoundMs, 1,
     [] { set_aout(1 + below(20), std::uniform_real_distribution<double>(-1e4, 1e4)(dice)); }},
    {"set_current_mode", kRequestBoundMs, 1, [] { set_current_mode(below(3)); }},
    {"set_current_coord", kRequestBoundMs, 1, [] { set_current_coord(below(4)); }},
    {"set_jogging_speed", kRequestBoundMs, 1, [] { set_jogging_speed(below(104)); }},
    {"servo_power_off", kRequestBoundMs, 1, [] { servo_power_off(); }},
    {"start_jogging", kRequestBoundMs, 1, [] { start_jogging(1 + below(12), below(2) == 1); }},
    {"stop_jogging", kRequestBoundMs, 1, [] { stop_jogging(1 + below(12)); }},
    {"robot_movj", kRequestBoundMs, 2, [] { robot_movj(target(a), vel(), below(2)); }},
    {"robot_movl", kRequestBoundMs, 2, [] { robot_movl(target(a), vel(), below(2)); }},
    {"robot_movc", kRequestBoundMs, 2,
     [] { robot_movc(target(a), target(b), target(c), vel(), below(2)); }},
    {"robot_movca", kRequestBoundMs, 2,
     [] { robot_movca(target(a), target(b), target(c), vel(), below(2)); }},
    {"continuous_motion_mode", kRequestBoundMs, 2, [] { continuous_motion_mode(below(3) != 0); }},
    {"send_continuous_motion_queue", kRequestBoundMs, 2, sendQueue},
    {"run_job", kRequestBoundMs, 2, [] { run_job("SOAK"); }},
    {"stop_job", kRequestBoundMs, 2, [] { stop_job(); }},
    {"upload_job", kUploadBoundMs, 3, [] { upload_job(); }},
    {"sync_jobs", kRequestBoundMs, 3, [] { sync_jobs(); }},
};

// Once the chaos stops: one reconnect, forced by the simulator, and the values read afterwards are
// the controller's own.
void checkFreshValuesAfterOneReconnect(SimProcess& sim, CallClock& clock, const fs::path& jobs,
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
    const auto shows = [&](const char* what, const std::function<bool()>& correct) {
        if (!eventually(correct, kSettleMs))
            fail(std::string(what) + " does not show the controller's value");
    };

    // The robot stopped and ready: no position reports from here on until the move below.
    clock.time(0, "continuous_motion_mode", kRequestBoundMs, [] { continuous_motion_mode(0); });
    sim.command("alarm 1");
    sim.command("clear 1");

    // Inputs only the simulator sets.
    const auto expectedDin = [](int port) { return port % 3 == 0 ? 1 : 0; };
    for (int port = 1; port <= 16; ++port) {
        if (!sim.command("din " + std::to_string(port) + " " + std::to_string(expectedDin(port))))
            fail("din " + std::to_string(port));
    }
    if (!sim.command("ain 3 1234"))
        fail("ain 3 1234");
    shows("get_din", [&] {
        double din[16];
        clock.time(0, "get_din", kQueryBoundMs, [&] { get_din(din); });
        for (int port = 1; port <= 16; ++port) {
            if (din[port - 1] != expectedDin(port))
                return false;
        }
        return true;
    });
    shows("get_ain", [&] {
        double ain[16];
        clock.time(0, "get_ain", kQueryBoundMs, [&] { get_ain(ain); });
        return ain[2] == 1234;
    });

    // Remote mode, where a ready robot moves: a joint move ends where it was sent.
    clock.time(0, "set_current_mode", kRequestBoundMs, [] { set_current_mode(1); });
    shows("get_current_mode", [&] {
        int mode = -1;
        clock.time(0, "get_current_mode", kQueryBoundMs, [&] { mode = get_current_mode(); });
        return mode == 1;
    });
    const double target[6] = {12.5, -20, 30, 5, 40, -15};
    clock.time(0, "robot_movj", kRequestBoundMs, [&] { robot_movj(target, 100, 0); });
    shows("get_current_position", [&] {
        double at[6] = {};
        clock.time(0, "get_current_position", kQueryBoundMs, [&] { get_current_position(at, 0); });
        for (int i = 0; i < 6; ++i) {
            if (std::fabs(at[i] - target[i]) > 1e-6)
                return false;
        }
        return true;
    });

    // Job files go both ways again: an upload (once any transfer left hanging by the chaos has
    // given up) and a synchronisation.
    fs::remove(controllerJobs / "R1" / "SOAK.JBR");
    shows("upload_job", [&] {
        clock.time(0, "upload_job", kUploadBoundMs, [] { upload_job(); });
        return eventually([&] { return readFile(controllerJobs / "R1" / "SOAK.JBR") == kJob; },
                          2000);
    });
    writeFile(controllerJobs / "R2" / "FROMCTL.JBR", kJob);
    shows("sync_jobs", [&] {
        clock.time(0, "sync_jobs", kRequestBoundMs, [] { sync_jobs(); });
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: soak_host ADDRESS SECONDS [RSS_LIMIT_MIB]\n");
        return 2;
    }
    const std::string address = argv[1];
    const long long seconds = std::atoll(argv[2]);
    const long rssLimitMiB = argc == 4 ? std::atol(argv[3]) : 0;
    const unsigned seed = seedFromEnvironment();
    std::printf("soak: %lld s against %s, seed %u\n", seconds, address.c_str(), seed);

    const fs::path jobs = programDirectory() / "robotJob";
    const fs::path controllerJobs = programDirectory() / ("soak-controller-" + address);
    fs::remove_all(jobs);
    fs::remove_all(controllerJobs);
    writeFile(jobs / "R1" / "SOAK.JBR", kJob);
    writeFile(jobs / "R1" / "LONG.JBR", std::string(100000, 'x'));
    writeFile(jobs / "R2" / "TWO.JBP", "two");

    SimProcess sim(address, {"--job-dir", controllerJobs.string(), "--files-port", "5000"},
                   SimProcess::Controller::Simulated);
    if (!sim.listening() || !connect_robot(address.c_str())) {
        std::fprintf(stderr, "FAIL: no simulator or no connection\n");
        return 1;
    }
    sim.command("chaos " + std::to_string(seed));

    CallClock clock(1, 0, kHangMs);
    dice.seed(seed);
    std::vector<const Action*> weighted;
    for (const Action& action : kActions)
        weighted.insert(weighted.end(), static_cast<size_t>(action.weight), &action);
    const long long start = monotonicMs();
    const long long end = start + seconds * 1000;
    // Warm-up: a fifth of the run, at most a minute.
    const long long warmedUp = start + std::min(seconds * 200, 60000LL);
    long warmRss = -1;
    long peakRss = 0;
    while (monotonicMs() < end) {
        const Action& action = *weighted[static_cast<size_t>(below(int(weighted.size())))];
        clock.time(0, action.name, action.boundMs, action.call);
        while (sim.nextFrame(0)) {
        }
        if (warmRss < 0 && monotonicMs() >= warmedUp)
            warmRss = residentKiB();
        peakRss = std::max(peakRss, residentKiB());
        sleepMs(5);
    }
    const long endRss = residentKiB();

    checkFreshValuesAfterOneReconnect(sim, clock, jobs, controllerJobs);
    const int connections = sim.accepted();
    sim.stop();
    checkNothingEscaped(programDirectory().parent_path().parent_path());

    const long growthKiB = endRss - warmRss;
    std::printf("soak figures:\n%s", clock.report().c_str());
    std::printf("calls %lld, late %d, connections %d\n", clock.calls(), clock.lateCalls(),
                connections);
    std::printf("RSS after warm-up %ld KiB, at the end %ld KiB, peak %ld KiB: growth %ld KiB\n",
                warmRss, endRss, peakRss, growthKiB);
    if (clock.lateCalls() > 0)
        fail(std::to_string(clock.lateCalls()) + " calls overran their bound");
    if (rssLimitMiB > 0 && growthKiB > rssLimitMiB * 1024)
        fail("RSS grew by " + std::to_string(growthKiB) + " KiB");
    fs::remove_all(jobs);
    fs::remove_all(controllerJobs);
    return failures == 0 ? 0 : 1;
}
