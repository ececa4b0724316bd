#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Polishing: POLISH_CONTINUE (128) and POLISH_OFF (129).
class POLISHCommand : public FieldCommand<POLISHCommand> {
public:
    using FieldCommand::FieldCommand;

    int polishID = 0;
    int times = 0;
    double angle = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
