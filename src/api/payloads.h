#pragma once

#include <json/value.h>

#include <initializer_list>

class Robot;

namespace kelvo::api {

// An object holding "robot": the robot the controller has selected now.
Json::Value forCurrentRobot(const Robot& robot);
// Six reals, values[0] to values[5] in order.
Json::Value positionArray(const double* values);
// True when every target is given and holds six finite values; otherwise logs one line naming
// caller, and nothing may be sent.
bool usableTargets(const char* caller, std::initializer_list<const double*> targets);
// True when value is finite; otherwise logs one line naming caller.
bool usableValue(const char* caller, double value);

}  // namespace kelvo::api
