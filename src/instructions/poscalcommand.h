#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// POSADD, POSSUB or POSSET (90) by caltype: calculates with one value of a position.
class POSCALCommand : public FieldCommand<POSCALCommand> {
public:
    POSCALCommand() : FieldCommand(90) {}

    int caltype = 0;
    int positionId = 0;
    std::string coord = "RF";
    int axis = 0;
    int datatype = 0;
    std::string desData;
    int posidtype = 0;
    std::string posidname;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
