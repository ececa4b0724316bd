#pragma once

#include "instructions/commandcondition.h"
#include "instructions/timercommand.h"

#include <memory>

namespace kelvo {

// WAIT (8): waits for a condition, at most duration when it is not 0.
class WaitCommand : public TimerCommand {
public:
    WaitCommand() : TimerCommand(8) {}

    Json::Value toJson() const override;
    void fromJson(const Json::Value& json) override;

    int now = 0;
    // "now" is carried only when it was set or read.
    bool hasNow = false;
    std::unique_ptr<CommandCondition> condition;

protected:
    void writeText(std::ostream& out) const override;
};

}  // namespace kelvo
