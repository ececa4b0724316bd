#pragma once

#include "ctlcommands.h"
#include "ctlconsole.h"

#include <string>

namespace kelvoctl {

// kelvoctl demo [--address ADDR] [--sim PATH]: starts kelvo-sim on a loopback address, connects
// and walks through a session, then stops the simulator. simulator: kelvo-sim's path when --sim
// does not give one. Returns the exit status.
int runDemo(CtlConsole& console, const Args& args, const std::string& simulator);

}  // namespace kelvoctl
