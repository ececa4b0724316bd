#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Palletising: PALON (68), PALGRIPPER (69), PALLET (70), PALENTER (71), PALSHIFT (72),
// PALREAL (73), PALCLEAR (74), PALOFF (75).
class PALCommand : public FieldCommand<PALCommand> {
public:
    using FieldCommand::FieldCommand;

    int ID = 0;
    int STACKTYPE = 0;
    int NUM = 0;
    int MULTIPAL = 0;
    int tool = 0;
    // On when not 0.
    int xyOpt = 0;
    int zOpt = 0;
    // "MovJ", "MovL", or a circular move for anything else.
    std::string moveType;
    double V = 0.0;
    int PL = 0;
    double ACC = 0.0;
    double DEC = 0.0;
    int vUnit = 0;
    std::string VARNAME;
    std::string PalVar;
    std::string PalLevel;
    std::string PalNumber;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
