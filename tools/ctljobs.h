#pragma once

#include "ctlcommands.h"
#include "kelvo.h"

#include <string>
#include <vector>

// Jobs and continuous motion: the kelvoctl commands run, stop and queue.
namespace kelvoctl {

Action runJob(const Args& args);
Action stopJob(const Args& args);
Action queue(const Args& args);

// The points of a queue file, one per line: TYPE VEL V1 .. Vn [acc=A] [dec=D] [pl=P] [spin=S];
// "#" starts a comment. Throws UsageError naming the file and line of the first mistake.
std::vector<ContinuousMotionPoint> readQueueFile(const std::string& path);

}  // namespace kelvoctl
