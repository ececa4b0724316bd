#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Laser seam tracking: LASERTRACK_ON (82) and LASERTRACK_OFF (83).
class TRACKCommand : public FieldCommand<TRACKCommand> {
public:
    using FieldCommand::FieldCommand;

    int ID = 0;
    int segmentParam = 0;
    double delay = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
