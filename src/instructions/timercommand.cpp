#include "instructions/timercommand.h"

namespace kelvo {

namespace {

void writeTime(std::ostream& out, const TimerCommand& command) {
    if (command.desType == 0) {
        out << command.duration;
    } else {
        out << command.desValue;
    }
}

}  // namespace

const TimerCommand::Layout& TimerCommand::layout() const {
    static const Layout table{
        {
            {"duration", &TimerCommand::duration},
            {"desType", &TimerCommand::desType},
            {"desValue", &TimerCommand::desValue},
        },
        {{7, "TIMER T = ", {{"", writeTime}}}},
    };
    return table;
}

}  // namespace kelvo
