#include "instructions/callcommand.h"

namespace kelvo {

const CallCommand::Layout& CallCommand::layout() const {
    static const Layout table{
        {
            {"lineNoToCall", &CallCommand::lineNoToCall},
            {"jobName", &CallCommand::jobName},
        },
        {
            {15, "CALL [$", {{"", &CallCommand::jobName}, {"$]"}}},
        },
    };
    return table;
}

}  // namespace kelvo
