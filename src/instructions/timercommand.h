#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// TIMER (7): waits a fixed time, or the time a variable holds when desType is not 0.
class TimerCommand : public FieldCommand<TimerCommand> {
public:
    TimerCommand() : FieldCommand(7) {}

    double duration = 0.0;
    std::string desValue = "0";
    int desType = 0;

protected:
    explicit TimerCommand(int typeCode) : FieldCommand(typeCode) {}

    const Layout& layout() const override;
};

}  // namespace kelvo
