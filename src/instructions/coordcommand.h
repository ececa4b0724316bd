#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Coordinate switches: SWITCHTOOL (47), SWITCHUSER (48), USERCOORD_TRANS (114).
class COORDCommand : public FieldCommand<COORDCommand> {
public:
    using FieldCommand::FieldCommand;

    int coordNum = 0;
    int coordType = 0;
    int CoordA = 0;
    int CoordB = 0;
    int CoordC = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
