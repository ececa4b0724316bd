#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// READPOS (89): reads a position, or one axis of it, into a variable.
class READPOSCommand : public FieldCommand<READPOSCommand> {
public:
    READPOSCommand() : FieldCommand(89) {}

    std::string varname = "D001";
    int positionId = 0;
    std::string coord;
    int axis = 0;
    int posidtype = 0;
    std::string posidname = "RF";

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
