#include "instructions/screwcommand.h"

namespace kelvo {

namespace {

void writeAction(std::ostream& out, const SCREWCommand& screw) {
    static constexpr std::array<const char*, 3> actions = {" TIGHT ", " UNSCREW ", " FREE "};
    out << wordFor(actions, screw.screwType, " ? ");
}

}  // namespace

const SCREWCommand::Layout& SCREWCommand::layout() const {
    static const Layout table{
        {
            {"screwID", &SCREWCommand::screwID},
            {"screwType", &SCREWCommand::screwType},
            {"varType", &SCREWCommand::varType},
            {"varName", &SCREWCommand::varName},
            {"maxSpinTime", &SCREWCommand::maxSpinTime},
        },
        {
            {140,
             "SCREW ID = ",
             {{"", &SCREWCommand::screwID},
              {"", writeAction},
              {"", &SCREWCommand::varName},
              {" ", &SCREWCommand::maxSpinTime}}},
        },
    };
    return table;
}

}  // namespace kelvo
