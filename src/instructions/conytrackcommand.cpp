#include "instructions/conytrackcommand.h"

namespace kelvo {

namespace {

void writeVelocity(std::ostream& out, const CONYTRACKCommand& conveyor) {
    writeSpeed(out, conveyor.V, conveyor.vUnit);
}

}  // namespace

const CONYTRACKCommand::Layout& CONYTRACKCommand::layout() const {
    static const Layout table{
        {
            {"ID", &CONYTRACKCommand::ID},
            {"m_positionId", &CONYTRACKCommand::m_positionId},
            {"V", &CONYTRACKCommand::V},
            {"vUnit", &CONYTRACKCommand::vUnit},
            {"ACC", &CONYTRACKCommand::ACC},
            {"m_postype", &CONYTRACKCommand::m_postype},
        },
        {
            {102,
             "CONVEYOR_ON ",
             {{"ID = ", &CONYTRACKCommand::ID},
              {" V = ", writeVelocity},
              {" ACC = ", &CONYTRACKCommand::ACC}}},
            {103, "CONVEYOR_OFF ", {{"ID = ", &CONYTRACKCommand::ID}}},
            {104,
             "CONVEYOR_CHECKPOS ",
             {{"ID = ", &CONYTRACKCommand::ID}, {" ", &CONYTRACKCommand::m_positionId}}},
            {105, "CONVEYOR_CHECKEND ", {{"ID = ", &CONYTRACKCommand::ID}}},
        },
    };
    return table;
}

bool CONYTRACKCommand::writesPosition() const {
    return m_postype == 0;
}

}  // namespace kelvo
