#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// SENDMSG (91): sends a message over a connection.
class SENDMSGCommand : public FieldCommand<SENDMSGCommand> {
public:
    SENDMSGCommand() : FieldCommand(91) {}

    int ID = 0;
    std::string sendChar;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
