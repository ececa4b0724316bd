#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Program control: PAUSERUN (108), CONTINUERUN (109), STOPRUN (110), RESTARTRUN (116).
class PROGRAMRUNCommand : public FieldCommand<PROGRAMRUNCommand> {
public:
    using FieldCommand::FieldCommand;

    int programtype = 0;
    std::string jobname;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
