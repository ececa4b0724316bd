#include "instructions/jumpcommand.h"

namespace kelvo {

namespace {

void writeWhen(std::ostream& out, const JUMPCommand& command) {
    if (command.jumpConditionFlag) {
        out << "  WHEN " << conditionText(command.condition);
    }
}

}  // namespace

const JUMPCommand::Layout& JUMPCommand::layout() const {
    static const Layout table{
        {{"label", &JUMPCommand::label}, {"jumpConditionFlag", &JUMPCommand::jumpConditionFlag}},
        {
            {49, "LABEL ", {{"", &JUMPCommand::label}}},
            {50, "JUMP ", {{"", &JUMPCommand::label}, {"", writeWhen}}},
        },
    };
    return table;
}

}  // namespace kelvo
