#include "instructions/idcommand.h"

namespace kelvo {

const IdCommand::Layout& IdCommand::layout() const {
    static const Layout table{
        {{"ID", &IdCommand::ID}},
        {
            {58, "LASER_ON ", {{"ID = ", &IdCommand::ID}}},
            {59, "LASER_OFF"},
            {112, "OPENMSG ", {{"ID = ", &IdCommand::ID}}},
            {113, "CLOSEMSG ", {{"ID = ", &IdCommand::ID}}},
            {154, "ARCTRACKON ID = ", {{"", &IdCommand::ID}}},
            {155, "ARCTRACKOFF ID = ", {{"", &IdCommand::ID}}},
        },
    };
    return table;
}

}  // namespace kelvo
