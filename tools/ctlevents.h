#pragma once

#include "ctlcommands.h"
#include "ctlsession.h"
#include "kelvo.h"

#include <functional>
#include <string>

namespace kelvoctl {

// "12:01:02.345 servo robot 1: alarm (2)": the local time the library received the event, its
// kind, the robot it names and what it says.
std::string describeEvent(const KelvoEvent& event);

// kelvoctl watch [SECONDS]: prints events as they arrive until SIGINT or SECONDS have passed.
Action watch(const Args& args);

// Takes every queued event, unshown.
void discardEvents(CtlSession& ctl);
// Prints events as they arrive until one of them is wanted (true) or timeoutMs have passed
// without it (false, told).
bool showEventsUntil(CtlSession& ctl, const std::function<bool(const KelvoEvent&)>& wanted,
                     int timeoutMs);

}  // namespace kelvoctl
