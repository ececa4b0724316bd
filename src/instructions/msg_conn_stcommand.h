#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// MSG_CONN_ST (92): reads the state of a message connection into a variable.
class MSG_CONN_STCommand : public FieldCommand<MSG_CONN_STCommand> {
public:
    MSG_CONN_STCommand() : FieldCommand(92) {}

    int ID = 0;
    int m_varType = 0;
    std::string m_valueName;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
