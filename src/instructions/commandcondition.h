#pragma once

#include <json/value.h>

#include <array>
#include <memory>
#include <string>

namespace kelvo {

// A comparison of a left operand with a right operand, as the flow-control instructions test it.
class CommandCondition {
public:
    // By logicType; a logicType outside 0 to 6 shows as "?".
    static constexpr std::array<const char*, 7> operatorText = {"<>", "==", "<", ">",
                                                                "<=", ">=", "!="};

    virtual ~CommandCondition() = default;

    // "(key op desValue)", e.g. "(I000 == 0)".
    virtual std::string toString() const;
    Json::Value toJson() const;
    // Reads all seven members; a missing one reads as 0 or "". Throws Json::LogicError on a wrong
    // JSON type.
    void fromJson(const Json::Value& json);

    int keyType = 1;
    std::string key = "I000";
    int inNumLeft = 0;
    int inNumRight = 0;
    int logicType = 1;
    int desType = 0;
    std::string desValue = "0";
};

// The condition member of an instruction, under its own JSON key: written only when there is one,
// read only when the key is present (into a fresh condition with the defaults).
void writeCondition(Json::Value& json, const char* key,
                    const std::unique_ptr<CommandCondition>& condition);
void readCondition(const Json::Value& json, const char* key,
                   std::unique_ptr<CommandCondition>& condition);
// The condition's text, or nothing when there is none.
std::string conditionText(const std::unique_ptr<CommandCondition>& condition);

}  // namespace kelvo
