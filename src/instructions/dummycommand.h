#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Code 31, which has no instruction: it only writes the unknown-instruction text. The factory does
// not create it.
class DummyCommand : public FieldCommand<DummyCommand> {
public:
    DummyCommand() : FieldCommand(31) {}
};

}  // namespace kelvo
