#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// PRINTMSG (117): shows a message on the teach pendant.
class PRINTMSGCommand : public FieldCommand<PRINTMSGCommand> {
public:
    PRINTMSGCommand() : FieldCommand(117) {}

    std::string printChar;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
