#include "payloads.h"

#include "apilog.h"
#include "robot/robot.h"

#include <algorithm>
#include <cmath>

namespace kelvo::api {

namespace {

constexpr int kPositionValues = 6;

bool finite(double value) {
    return std::isfinite(value);
}

}  // namespace

Json::Value forCurrentRobot(const Robot& robot) {
    Json::Value payload(Json::objectValue);
    payload["robot"] = robot.currentRobotNumber();
    return payload;
}

Json::Value positionArray(const double* values) {
    Json::Value array(Json::arrayValue);
    for (int i = 0; i < kPositionValues; ++i)
        array.append(values[i]);
    return array;
}

bool usableTargets(const char* caller, std::initializer_list<const double*> targets) {
    for (const double* target : targets) {
        if (!target) {
            qCWarning(lcApi).nospace() << caller << ": no target given, nothing sent";
            return false;
        }
        if (!std::all_of(target, target + kPositionValues, finite)) {
            qCWarning(lcApi).nospace() << caller << ": target not finite, nothing sent";
            return false;
        }
    }
    return true;
}

bool usableValue(const char* caller, double value) {
    if (finite(value))
        return true;
    qCWarning(lcApi).nospace() << caller << ": value not finite, nothing sent";
    return false;
}

}  // namespace kelvo::api
