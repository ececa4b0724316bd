#pragma once

#include "instructions/commandcondition.h"
#include "instructions/fieldcommand.h"

#include <memory>

namespace kelvo {

// An instruction that may own a condition, carried under the key the class names.
template <class Self>
class ConditionalCommand : public FieldCommand<Self> {
public:
    using FieldCommand<Self>::FieldCommand;

    Json::Value toJson() const override {
        Json::Value json = FieldCommand<Self>::toJson();
        writeCondition(json, conditionKey(), condition);
        return json;
    }

    void fromJson(const Json::Value& json) override {
        FieldCommand<Self>::fromJson(json);
        readCondition(json, conditionKey(), condition);
    }

    std::unique_ptr<CommandCondition> condition;

protected:
    virtual const char* conditionKey() const = 0;
};

}  // namespace kelvo
