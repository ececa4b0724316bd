#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// READCOMM (107): reads from an Ethernet or Modbus connection into a variable.
class READCOMMCommand : public FieldCommand<READCOMMCommand> {
public:
    READCOMMCommand() : FieldCommand(107) {}

    int ID = 0;
    int commType = 0;
    int positionId = 0;
    std::string m_varname = "GIOO1";

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
