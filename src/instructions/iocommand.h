#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Digital and analog I/O: DOUT (16), DIN (17), AOUT (20), AIN (21), PULSEOUT (22),
// READ_DOUT (96).
class IOCommand : public FieldCommand<IOCommand> {
public:
    using FieldCommand::FieldCommand;

    int group = 0;
    int groupValue = 0;
    std::string groupType;
    int portId = 0;
    double portValue = 0.0;
    bool valueIsVariant = false;
    int varType = 0;
    std::string varName;
    int sum = 0;
    int rate = 0;
    double time = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
