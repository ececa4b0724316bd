#pragma once

#include "robot/robot.h"
#include "simharness.h"

#include <functional>
#include <memory>

// Processes the calling thread's events until done() holds; false after timeoutMs.
bool waitFor(const std::function<bool()>& done, int timeoutMs);

// A Robot in the calling thread, linked over loopback to the control port of a started sim and
// connected (unless the link does not come up within 8 s).
std::unique_ptr<Robot> linkRobot(kelvo::sim::SimHarness& sim);
