#pragma once

#include "simprocess.h"

#include <functional>
#include <string>

namespace kelvo::bench {

// main() of a benchmark of the exported API as a customer's host uses it (no Qt application
// object, kelvo's logging off), connected to kelvo-sim run as a child process on address:6000.
// prepare runs once connected and returns why the run cannot go on, or nothing.
int runAgainstSim(int argc, char** argv, const char* address,
                  const std::function<std::string(SimProcess&)>& prepare);

}  // namespace kelvo::bench
