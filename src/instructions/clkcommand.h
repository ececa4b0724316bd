#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Clocks: CLKSTART (125), CLKSTOP (126, into a variable), CLKRESET (127).
class ClkCommand : public FieldCommand<ClkCommand> {
public:
    using FieldCommand::FieldCommand;

    int ID = 0;
    std::string m_varname;
    int m_vartype = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
