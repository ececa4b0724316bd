#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// PTHREAD_START (87) and PTHREAD_END (88): a job run as a parallel thread.
class PTHREADCommand : public FieldCommand<PTHREADCommand> {
public:
    using FieldCommand::FieldCommand;

    std::string jobName;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
