#include "hostbench.h"

#include "kelvo.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace kelvo::bench {

std::unique_ptr<SimProcess> startConnectedSim(const char* address, SimProcess::Echo echo) {
    setenv("QT_LOGGING_RULES", "kelvo.*=false", 1);
    auto sim = std::make_unique<SimProcess>(address, std::vector<std::string>{},
                                            SimProcess::Controller::Scripted, echo);
    // The link may be up before the simulator has taken the connection; only an echo tells.
    if (!sim->listening() || !connect_robot(address) ||
        (echo == SimProcess::Echo::Frames && !sim->waitForAccepted(1, 3000))) {
        std::fprintf(stderr, "no simulator on %s:6000\n", address);
        return nullptr;
    }
    return sim;
}

int runAgainstSim(int argc, char** argv, const char* address,
                  const std::function<std::string(SimProcess&)>& prepare) {
    benchmark::Initialize(&argc, argv);
    const std::unique_ptr<SimProcess> sim = startConnectedSim(address, SimProcess::Echo::Frames);
    if (!sim)
        return 1;
    const std::string failure = prepare(*sim);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kelvo::bench
