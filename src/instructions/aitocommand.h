#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// AITOON (18) and AITOOFF (19): an analog output that follows an analog input.
class AITOCommand : public FieldCommand<AITOCommand> {
public:
    using FieldCommand::FieldCommand;

    int ain = 0;
    int aout = 0;
    double para1 = 0.0;
    double para2 = 0.0;
    double para3 = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
