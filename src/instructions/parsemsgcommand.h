#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// PARSEMSG (93): parses a received message into a variable.
class PARSEMSGCommand : public FieldCommand<PARSEMSGCommand> {
public:
    PARSEMSGCommand() : FieldCommand(93) {}

    int ID = 0;
    int expvarType = 0;
    std::string explainValue = "GIOO1";
    int clearCache = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
