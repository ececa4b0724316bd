#pragma once

#include "instructions/conditionalcommand.h"

namespace kelvo {

// LABEL (49) and JUMP (50); a jump may be conditional.
class JUMPCommand : public ConditionalCommand<JUMPCommand> {
public:
    using ConditionalCommand::ConditionalCommand;

    std::string label = "tip";
    bool jumpConditionFlag = false;

protected:
    const char* conditionKey() const override { return "jumpCondition"; }
    const Layout& layout() const override;
};

}  // namespace kelvo
