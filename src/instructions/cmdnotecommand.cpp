#include "instructions/cmdnotecommand.h"

namespace kelvo {

const CMDNOTECommand::Layout& CMDNOTECommand::layout() const {
    static const Layout table{
        {
            {"note", &CMDNOTECommand::note},
        },
        {
            {124, "", {{"", &CMDNOTECommand::note}}},
        },
    };
    return table;
}

}  // namespace kelvo
