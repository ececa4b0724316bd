#include "instructions/readcommcommand.h"

namespace kelvo {

namespace {

void writeProtocol(std::ostream& out, const READCOMMCommand& read) {
    static constexpr std::array<const char*, 2> protocols = {" EHTERNET ", " MODBUS "};
    out << wordFor(protocols, read.commType, " ? ");
}

}  // namespace

const READCOMMCommand::Layout& READCOMMCommand::layout() const {
    static const Layout table{
        {
            {"ID", &READCOMMCommand::ID},
            {"commType", &READCOMMCommand::commType},
            {"positionId", &READCOMMCommand::positionId},
            {"m_varname", &READCOMMCommand::m_varname},
        },
        {
            {107,
             "READCOMM ID = ",
             {{"", &READCOMMCommand::ID},
              {"", writeProtocol},
              {"TO ", &READCOMMCommand::m_varname}}},
        },
    };
    return table;
}

}  // namespace kelvo
