#pragma once

#include "instructions/conditionalcommand.h"

namespace kelvo {

// The block instructions IF/ELSE/ELSEIF/ENDIF, WHILE/ENDWHILE and UNTIL/ENDUNTIL: a keyword and,
// for the opening ones, a condition carried under the family's own JSON key.
class ConditionBlockCommand : public ConditionalCommand<ConditionBlockCommand> {
protected:
    ConditionBlockCommand(int typeCode, const char* conditionKey)
        : ConditionalCommand(typeCode), conditionKey_(conditionKey) {}

    const char* conditionKey() const override { return conditionKey_; }

    const Layout& layout() const override;
    void writeText(std::ostream& out) const override;

private:
    const char* conditionKey_;
};

}  // namespace kelvo
