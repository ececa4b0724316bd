#include "instructions/pos_reachablecommand.h"

namespace kelvo {

namespace {

void writeMove(std::ostream& out, const POS_REACHABLECommand& reachable) {
    static constexpr std::array<const char*, 2> moves = {" MOVJ ", " MOVL "};
    out << wordFor(moves, reachable.moveType, " ? ");
}

}  // namespace

const POS_REACHABLECommand::Layout& POS_REACHABLECommand::layout() const {
    static const Layout table{
        {
            {"m_varType", &POS_REACHABLECommand::m_varType},
            {"moveType", &POS_REACHABLECommand::moveType},
            {"positionId", &POS_REACHABLECommand::positionId},
            {"m_varname", &POS_REACHABLECommand::m_varname},
        },
        {
            {130,
             "POS_REACHABLE ",
             {{"", &POS_REACHABLECommand::m_varname},
              {"", writeMove},
              {"", &POS_REACHABLECommand::positionId}}},
        },
    };
    return table;
}

}  // namespace kelvo
