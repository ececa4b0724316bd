#include "instructions/opcommand.h"

namespace kelvo {

namespace {

CommandLayout<OPCommand> opLayout() {
    const std::vector<TextPart<OPCommand>> operands = {{"", &OPCommand::key},
                                                       {" ", &OPCommand::desValue}};
    return {
        {
            {"key", &OPCommand::key},
            {"desType", &OPCommand::desType},
            {"desValue", &OPCommand::desValue},
        },
        {
            {42, "ADD ", operands},
            {43, "SUB ", operands},
            {44, "MUL ", operands},
            {45, "DIV ", operands},
            {46, "MOD ", operands},
            {99, "SIN ", operands},
            {100, "COS ", operands},
            {101, "ATAN ", operands},
        },
    };
}

}  // namespace

const OPCommand::Layout& OPCommand::layout() const {
    static const Layout table = opLayout();
    return table;
}

}  // namespace kelvo
