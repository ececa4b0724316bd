#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Arithmetic on a variable: ADD (42), SUB (43), MUL (44), DIV (45), MOD (46), SIN (99),
// COS (100), ATAN (101).
class OPCommand : public FieldCommand<OPCommand> {
public:
    using FieldCommand::FieldCommand;

    std::string key = "I000";
    int desType = 0;
    std::string desValue = "0";

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
