#pragma once

#include <functional>
#include <memory>

namespace kelvo::bench {

// main() of a benchmark that needs Qt: runs the benchmarks named on the command line with a
// QCoreApplication and the logging rules given, and ends every sharedRig() before the application
// object.
int runWithQt(int argc, char** argv, const char* loggingRules = "kelvo.*=false");

// Processes the calling thread's events until done() holds, never sleeping (the library may run
// in this thread while it is measured); false after timeoutMs.
bool processEventsUntil(const std::function<bool()>& done, int timeoutMs);

namespace detail {
// Runs end after the benchmarks, before the application object goes.
void endAfterRun(std::function<void()> end);
}  // namespace detail

// One Rig for the whole run, made on first use: connecting takes a check tick.
template <typename Rig>
Rig& sharedRig() {
    static std::unique_ptr<Rig> rig;
    if (!rig) {
        rig = std::make_unique<Rig>();
        detail::endAfterRun([] { rig.reset(); });
    }
    return *rig;
}

}  // namespace kelvo::bench
