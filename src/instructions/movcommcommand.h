#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// MOVCOMM (98): a move whose target comes over a connection.
class MOVCOMMCommand : public FieldCommand<MOVCOMMCommand> {
public:
    MOVCOMMCommand() : FieldCommand(98) {}

    std::string moveType;
    double V = 0.0;
    int PL = 0;
    double ACC = 0.0;
    double DEC = 0.0;
    int vUnit = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
