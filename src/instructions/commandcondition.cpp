#include "instructions/commandcondition.h"

#include "instructions/instructiontext.h"
#include "instructions/layout.h"

namespace kelvo {

namespace {

const std::vector<Field<CommandCondition>>& conditionFields() {
    static const std::vector<Field<CommandCondition>> fields = {
        {"keyType", &CommandCondition::keyType},     {"key", &CommandCondition::key},
        {"inNumLeft", &CommandCondition::inNumLeft}, {"inNumRight", &CommandCondition::inNumRight},
        {"logicType", &CommandCondition::logicType}, {"desType", &CommandCondition::desType},
        {"desValue", &CommandCondition::desValue},
    };
    return fields;
}

}  // namespace

std::string CommandCondition::toString() const {
    return "(" + key + " " + wordFor(operatorText, logicType) + " " + desValue + ")";
}

Json::Value CommandCondition::toJson() const {
    Json::Value json(Json::objectValue);
    writeFields(*this, conditionFields(), json);
    return json;
}

void CommandCondition::fromJson(const Json::Value& json) {
    readFields(*this, conditionFields(), json);
}

void writeCondition(Json::Value& json, const char* key,
                    const std::unique_ptr<CommandCondition>& condition) {
    if (condition) {
        json[key] = condition->toJson();
    }
}

void readCondition(const Json::Value& json, const char* key,
                   std::unique_ptr<CommandCondition>& condition) {
    if (json.isMember(key)) {
        auto fresh = std::make_unique<CommandCondition>();
        fresh->fromJson(json[key]);
        condition = std::move(fresh);
    }
}

std::string conditionText(const std::unique_ptr<CommandCondition>& condition) {
    return condition ? condition->toString() : std::string();
}

}  // namespace kelvo
