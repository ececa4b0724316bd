#pragma once

#include "instructions/conditionblockcommand.h"

namespace kelvo {

// UNTIL/ENDUNTIL, condition under "untilCondition".
class UNTILCommand : public ConditionBlockCommand {
public:
    explicit UNTILCommand(int typeCode) : ConditionBlockCommand(typeCode, "untilCondition") {}
};

}  // namespace kelvo
