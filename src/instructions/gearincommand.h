#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// GEARIN (145) and ENDGEARIN (146): couples a following axis to a main axis.
class GEARINCommand : public FieldCommand<GEARINCommand> {
public:
    using FieldCommand::FieldCommand;

    int mainAxle = 0;
    int followAxle = 0;
    double proportionfactor = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
