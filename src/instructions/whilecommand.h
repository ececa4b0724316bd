#pragma once

#include "instructions/conditionblockcommand.h"

namespace kelvo {

// WHILE/ENDWHILE, condition under "whileCondition".
class WHILECommand : public ConditionBlockCommand {
public:
    explicit WHILECommand(int typeCode) : ConditionBlockCommand(typeCode, "whileCondition") {}
};

}  // namespace kelvo
