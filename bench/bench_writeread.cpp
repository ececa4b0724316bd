// A write followed by a read through the session API against kelvo-sim on loopback: the
// set_dout + get_dout cycle against a controller that reports the change unasked and one that
// does not (so nothing acknowledges the write at once), then get_dout alone with heartbeat fences
// on and off, taking turns round by round so both meet the same load. Prints p50 and p99 in µs.
//   bench_writeread [--cycles N] [--rounds N]
//   bench_writeread --queries N --fences 0|1   (N getter calls and nothing else, for callgrind)
#include "kelvo.h"
#include "simprocess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Controller {
    const char* name;
    const char* address;
    std::vector<std::string> options;
};

const Controller kReporting{"reports the write", "127.0.26.200", {}};
const Controller kQuiet{"answers queries only", "127.0.26.201", {"--quiet-changes"}};

struct Session {
    explicit Session(const Controller& c)
        : sim(c.address, c.options, SimProcess::Controller::Simulated, SimProcess::Echo::Quiet) {
        int error = 0;
        if (sim.listening())
            s = kelvo_open(c.address, 0, 3000, &error);
        if (!s)
            std::fprintf(stderr, "%s: no session (%s)\n", c.name, kelvo_strerror(error));
    }
    ~Session() { kelvo_close(s); }
    SimProcess sim;
    KelvoSession* s = nullptr;
};

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

bool getDout(KelvoSession* s) {
    double out[16];
    return kelvo_get_dout(s, out) == KELVO_OK;
}

// Each call's time in µs; empty when one failed.
template <typename Call>
std::vector<double> timed(int calls, Call call) {
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(calls));
    for (int i = 0; i < calls; ++i) {
        const Clock::time_point start = Clock::now();
        if (!call(i))
            return {};
        samples.push_back(microsSince(start));
    }
    return samples;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

void print(const char* what, const std::vector<double>& samples) {
    std::printf("%-44s p50 %8.1f us   p99 %8.1f us   (%zu calls)\n", what,
                percentile(samples, 0.50), percentile(samples, 0.99), samples.size());
}

void append(std::vector<double>& to, const std::vector<double>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

int cycleTimes(int cycles) {
    for (const Controller* c : {&kReporting, &kQuiet}) {
        Session session(*c);
        if (!session.s)
            return 1;
        const std::vector<double> samples = timed(cycles, [&](int i) {
            return kelvo_set_dout(session.s, 1, i % 2) == KELVO_OK && getDout(session.s);
        });
        if (samples.empty())
            return 1;
        print((std::string("set_dout + get_dout, controller ") + c->name).c_str(), samples);
    }
    return 0;
}

int fencesOnAndOff(int cycles, int rounds) {
    Session session(kQuiet);
    if (!session.s)
        return 1;
    for (int run = 1; run <= 3; ++run) {
        std::vector<double> on;
        std::vector<double> off;
        for (int round = 0; round < rounds; ++round) {
            for (const int fences : {1, 0}) {
                kelvo_set_fences(session.s, fences);
                const std::vector<double> samples =
                    timed(cycles / rounds, [&](int) { return getDout(session.s); });
                if (samples.empty())
                    return 1;
                append(fences ? on : off, samples);
            }
        }
        std::printf("run %d\n", run);
        print("  get_dout, fences on", on);
        print("  get_dout, fences off", off);
        std::printf("  ratio on/off: p50 %.2f, p99 %.2f\n",
                    percentile(on, 0.5) / percentile(off, 0.5),
                    percentile(on, 0.99) / percentile(off, 0.99));
    }
    return 0;
}

int queriesOnly(int queries, int fences) {
    Session session(kQuiet);
    if (!session.s)
        return 1;
    kelvo_set_fences(session.s, fences);
    for (int i = 0; i < queries; ++i) {
        if (!getDout(session.s))
            return 1;
    }
    return 0;
}

int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int queries = argument(argc, argv, "--queries", 0);
    if (queries > 0)
        return queriesOnly(queries, argument(argc, argv, "--fences", 1));
    const int cycles = argument(argc, argv, "--cycles", 5000);
    const int rounds = std::max(1, argument(argc, argv, "--rounds", 10));
    return cycleTimes(cycles) != 0 || fencesOnAndOff(cycles, rounds) != 0 ? 1 : 0;
}
