#include "instructions/pthreadcommand.h"

namespace kelvo {

const PTHREADCommand::Layout& PTHREADCommand::layout() const {
    static const Layout table{
        {
            {"jobName", &PTHREADCommand::jobName},
        },
        {
            {87, "PTHREAD_START [$", {{"", &PTHREADCommand::jobName}, {"$]"}}},
            {88, "PTHREAD_END [$", {{"", &PTHREADCommand::jobName}, {"$]"}}},
        },
    };
    return table;
}

}  // namespace kelvo
