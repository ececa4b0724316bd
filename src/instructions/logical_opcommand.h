#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// LOGICAL_OP (118): AND, OR (of two operands) or NOT (of the first) into a variable.
class LOGICAL_OPCommand : public FieldCommand<LOGICAL_OPCommand> {
public:
    LOGICAL_OPCommand() : FieldCommand(118) {}

    int answerType = 0;
    std::string answerName = "GA001";
    int firstType = 0;
    std::string firstName = "GA001";
    int secondType = 0;
    std::string secondName = "GA001";
    int logicalType = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
