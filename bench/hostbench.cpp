#include "hostbench.h"

#include "kelvo.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace kelvo::bench {

int runAgainstSim(int argc, char** argv, const char* address,
                  const std::function<std::string(SimProcess&)>& prepare) {
    setenv("QT_LOGGING_RULES", "kelvo.*=false", 1);
    benchmark::Initialize(&argc, argv);
    SimProcess sim(address);
    if (!sim.listening() || !connect_robot(address) || !sim.waitForAccepted(1, 3000)) {
        std::fprintf(stderr, "no simulator on %s:6000\n", address);
        return 1;
    }
    const std::string failure = prepare(sim);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kelvo::bench
