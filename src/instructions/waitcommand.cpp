#include "instructions/waitcommand.h"

namespace kelvo {

namespace {

constexpr const char* kConditionKey = "waitCondition";

}  // namespace

Json::Value WaitCommand::toJson() const {
    Json::Value json = TimerCommand::toJson();
    writeCondition(json, kConditionKey, condition);
    if (hasNow) {
        json["now"] = now;
    }
    return json;
}

void WaitCommand::fromJson(const Json::Value& json) {
    TimerCommand::fromJson(json);
    readCondition(json, kConditionKey, condition);
    if (json.isMember("now")) {
        now = json["now"].asInt();
        hasNow = true;
    }
}

void WaitCommand::writeText(std::ostream& out) const {
    out << "WAIT " << conditionText(condition);
    if (duration != 0.0) {
        out << "  T = " << duration;
    }
    if (hasNow) {
        out << " NOW = " << now;
    }
}

}  // namespace kelvo
