#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// What the instructions that carry nothing but an ID share: LASER_ON/LASER_OFF (58, 59),
// OPENMSG/CLOSEMSG (112, 113) and ARCTRACKON/ARCTRACKOFF (154, 155).
class IdCommand : public FieldCommand<IdCommand> {
public:
    int ID = 0;

protected:
    explicit IdCommand(int typeCode) : FieldCommand(typeCode) {}

    const Layout& layout() const override;
};

}  // namespace kelvo
