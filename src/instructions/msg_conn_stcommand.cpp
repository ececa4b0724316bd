#include "instructions/msg_conn_stcommand.h"

namespace kelvo {

const MSG_CONN_STCommand::Layout& MSG_CONN_STCommand::layout() const {
    static const Layout table{
        {
            {"ID", &MSG_CONN_STCommand::ID},
            {"m_varType", &MSG_CONN_STCommand::m_varType},
            {"m_valueName", &MSG_CONN_STCommand::m_valueName},
        },
        {
            {92,
             "MSG_CONN_ST ",
             {{"", &MSG_CONN_STCommand::ID}, {" ", &MSG_CONN_STCommand::m_valueName}}},
        },
    };
    return table;
}

}  // namespace kelvo
