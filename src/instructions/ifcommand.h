#pragma once

#include "instructions/conditionblockcommand.h"

namespace kelvo {

// IF/ELSE/ELSEIF/ENDIF, condition under "ifcondition".
class IFCommand : public ConditionBlockCommand {
public:
    explicit IFCommand(int typeCode) : ConditionBlockCommand(typeCode, "ifcondition") {}
};

}  // namespace kelvo
