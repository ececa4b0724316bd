#include "instructions/extmovcommand.h"

namespace kelvo {

namespace {

// movtype 0 follows with a proportion factor; 1 runs at the speed of speedtype 0 by hand, else of
// the variable.
void writeMovement(std::ostream& out, const EXTMOVCommand& move) {
    if (move.movtype == 0) {
        out << " FOLLOW " << move.speedproportionfactor;
    } else if (move.movtype != 1) {
        out << " ? ";
    } else if (move.speedtype == 0) {
        out << " CONST " << move.handvalue;
    } else {
        out << " CONST " << move.varname;
    }
}

}  // namespace

const EXTMOVCommand::Layout& EXTMOVCommand::layout() const {
    static const Layout table{
        {
            {"extaxle", &EXTMOVCommand::extaxle},
            {"movtype", &EXTMOVCommand::movtype},
            {"speedtype", &EXTMOVCommand::speedtype},
            {"varname", &EXTMOVCommand::varname},
            {"handvalue", &EXTMOVCommand::handvalue},
            {"speedproportionfactor", &EXTMOVCommand::speedproportionfactor},
        },
        {
            {141, "EXTMOV ", {{"", &EXTMOVCommand::extaxle}, {"", writeMovement}}},
            {142, "ENDEXTMOV"},
        },
    };
    return table;
}

}  // namespace kelvo
