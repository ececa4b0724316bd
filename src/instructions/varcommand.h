#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Variables: the declarations INT (35), DOUBLE (36), BOOLEAN (37) and the assignments
// SETINT (38), SETDOUBLE (39), SETBOOL (40). The typed values and varType travel in the JSON only.
class VARCommand : public FieldCommand<VARCommand> {
public:
    using FieldCommand::FieldCommand;

    bool isVariableDeclaration() const override;

    std::string key = "I000";
    int intValue = 0;
    double doubleValue = 0.0;
    bool boolValue = false;
    int varType = 0;
    std::string strValue = "0";

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
