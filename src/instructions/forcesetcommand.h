#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// FORCESET (41): forces a global variable.
class FORCESETCommand : public FieldCommand<FORCESETCommand> {
public:
    FORCESETCommand() : FieldCommand(41) {}

    std::string gVarName;
    int gVarType = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
