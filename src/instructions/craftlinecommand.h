#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// CRAFTLINE (86): selects a process line.
class CRAFTLINECommand : public FieldCommand<CRAFTLINECommand> {
public:
    CRAFTLINECommand() : FieldCommand(86) {}

    int line = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
