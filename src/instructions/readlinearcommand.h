#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// READLINEAR (143) and ENDREADLINEAR (144): reads a linear axis into a variable.
class READLINEARCommand : public FieldCommand<READLINEARCommand> {
public:
    using FieldCommand::FieldCommand;

    std::string varname;
    int vartype = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
