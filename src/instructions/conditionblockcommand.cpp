#include "instructions/conditionblockcommand.h"

namespace kelvo {

namespace {

void writeConditionPart(std::ostream& out, const ConditionBlockCommand& command) {
    out << conditionText(command.condition);
}

bool opensBlock(int type) {
    return type == 9 || type == 11 || type == 13 || type == 84;
}

}  // namespace

const ConditionBlockCommand::Layout& ConditionBlockCommand::layout() const {
    static const Layout table{
        {},
        {
            {9, "IF ", {{"", writeConditionPart}}},
            {10, "ELSE"},
            {11, "ELSEIF ", {{"", writeConditionPart}}},
            {12, "ENDIF"},
            {13, "WHILE ", {{"", writeConditionPart}}},
            {14, "ENDWHILE"},
            {84, "UNTIL ", {{"", writeConditionPart}}},
            {85, "ENDUNTIL"},
        },
    };
    return table;
}

void ConditionBlockCommand::writeText(std::ostream& out) const {
    // An opening without its condition writes nothing at all, not a bare keyword.
    if (opensBlock(type) && !condition) {
        return;
    }
    ConditionalCommand::writeText(out);
}

}  // namespace kelvo
