#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Spraying: SPRAY_ON (119), SPRAY_OFF (120), SPRAY_CHANGE (121), SPRAY_MOVE (122),
// SPRAY_POSE (123).
class SPRAYCommand : public FieldCommand<SPRAYCommand> {
public:
    using FieldCommand::FieldCommand;

    int gunID = 0;
    int seqID = 0;
    int traID = 0;
    int colorID = 0;
    int anaID = 0;
    double flow = 0.0;
    double sector = 0.0;
    double atom = 0.0;
    double V = 0.0;
    int PL = 0;
    double ACC = 0.0;
    double DEC = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
