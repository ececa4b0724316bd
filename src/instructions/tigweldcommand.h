#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// TIG welding: TIGWELDON (64) and TIGWELDOFF (65).
class TIGWeldCommand : public FieldCommand<TIGWeldCommand> {
public:
    using FieldCommand::FieldCommand;

    double l2 = 0.0;
    double timeOFTIG = 0.0;
    int typeOFTIG = 0;
    double l1 = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
