#include "instructions/movcommcommand.h"

namespace kelvo {

namespace {

void writeMove(std::ostream& out, const MOVCOMMCommand& move) {
    static constexpr MotionLabels labels = {" MovJ VJ = ", " MovL V = ", " MovS V = "};
    writeMotion(out, labels, move.moveType, move.V, move.vUnit, move.PL, move.ACC, move.DEC);
}

}  // namespace

const MOVCOMMCommand::Layout& MOVCOMMCommand::layout() const {
    static const Layout table{
        {
            {"moveType", &MOVCOMMCommand::moveType},
            {"V", &MOVCOMMCommand::V},
            {"PL", &MOVCOMMCommand::PL},
            {"ACC", &MOVCOMMCommand::ACC},
            {"DEC", &MOVCOMMCommand::DEC},
            {"vUnit", &MOVCOMMCommand::vUnit},
        },
        {
            {98, "MOVCOMM", {{"", writeMove}}},
        },
    };
    return table;
}

}  // namespace kelvo
