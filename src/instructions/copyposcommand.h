#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// COPYPOS (115): copies a position, or the current one, to another.
class COPYPOSCommand : public FieldCommand<COPYPOSCommand> {
public:
    COPYPOSCommand() : FieldCommand(115) {}

    int cpposId = 0;
    int cppostype = 0;
    std::string cpposname;
    int cpdposId = 0;
    int cpdpostype = 0;
    std::string cpdposname;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
