#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Arc welding: ARCON (23), ARCOFF (24), ARCSET (25), WVON (26), WVOFF (27),
// FEEDWIRE (67).
class ARCCommand : public FieldCommand<ARCCommand> {
public:
    using FieldCommand::FieldCommand;

    double voltage = 0.0;
    double current = 0.0;
    int arcParameterId = 0;
    double feedtime = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
