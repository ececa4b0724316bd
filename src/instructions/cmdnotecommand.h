#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// A comment line (124): its text is the note itself.
class CMDNOTECommand : public FieldCommand<CMDNOTECommand> {
public:
    CMDNOTECommand() : FieldCommand(124) {}

    std::string note;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
