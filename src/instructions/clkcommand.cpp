#include "instructions/clkcommand.h"

namespace kelvo {

const ClkCommand::Layout& ClkCommand::layout() const {
    static const Layout table{
        {
            {"ID", &ClkCommand::ID},
            {"m_varname", &ClkCommand::m_varname},
            {"m_vartype", &ClkCommand::m_vartype},
        },
        {
            {125, "CLKSTART ID = ", {{"", &ClkCommand::ID}}},
            {126, "CLKSTOP ID = ", {{"", &ClkCommand::ID}, {" ", &ClkCommand::m_varname}}},
            {127, "CLKRESET ID = ", {{"", &ClkCommand::ID}}},
        },
    };
    return table;
}

}  // namespace kelvo
