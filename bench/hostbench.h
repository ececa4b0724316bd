#pragma once

#include "simprocess.h"

#include <functional>
#include <memory>
#include <string>

namespace kelvo::bench {

// kelvo-sim run as a child process on address:6000 with kelvo's logging off and the library
// connected to it; nothing, after a line on standard error, when either fails.
std::unique_ptr<SimProcess> startConnectedSim(const char* address, SimProcess::Echo echo);

// main() of a benchmark of the exported API as a customer's host uses it (no Qt application
// object), against startConnectedSim(). prepare runs once connected and returns why the run
// cannot go on, or nothing.
int runAgainstSim(int argc, char** argv, const char* address,
                  const std::function<std::string(SimProcess&)>& prepare);

}  // namespace kelvo::bench
