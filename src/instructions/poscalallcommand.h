#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// POSADDALL, POSSUBALL or POSSETALL (137) by caltype: calculates with every value of a
// position; calData and datatype run in parallel.
class POSCALALLCommand : public FieldCommand<POSCALALLCommand> {
public:
    POSCALALLCommand() : FieldCommand(137) {}

    int caltype = 0;
    int positionId = 0;
    std::string coord = "RF";
    TextArray calData;
    IntArray datatype{};
    int posidtype = 0;
    std::string posidname;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
