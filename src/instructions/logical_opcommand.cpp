#include "instructions/logical_opcommand.h"

namespace kelvo {

namespace {

// logicalType 0 AND, 1 OR, 2 NOT.
void writeExpression(std::ostream& out, const LOGICAL_OPCommand& op) {
    if (op.logicalType == 2) {
        out << "NOT " << op.firstName;
        return;
    }
    static constexpr std::array<const char*, 2> operators = {" AND ", " OR "};
    out << op.firstName << wordFor(operators, op.logicalType, " ? ") << op.secondName;
}

}  // namespace

const LOGICAL_OPCommand::Layout& LOGICAL_OPCommand::layout() const {
    static const Layout table{
        {
            {"answerType", &LOGICAL_OPCommand::answerType},
            {"answerName", &LOGICAL_OPCommand::answerName},
            {"firstType", &LOGICAL_OPCommand::firstType},
            {"firstName", &LOGICAL_OPCommand::firstName},
            {"secondType", &LOGICAL_OPCommand::secondType},
            {"secondName", &LOGICAL_OPCommand::secondName},
            {"logicalType", &LOGICAL_OPCommand::logicalType},
        },
        {
            {118, "LOGICAL_OP ", {{"", &LOGICAL_OPCommand::answerName}, {" = ", writeExpression}}},
        },
    };
    return table;
}

}  // namespace kelvo
