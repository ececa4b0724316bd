#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// CALL (15): calls another job.
class CallCommand : public FieldCommand<CallCommand> {
public:
    CallCommand() : FieldCommand(15) {}

    int lineNoToCall = 0;
    std::string jobName;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
