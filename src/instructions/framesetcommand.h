#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// What USERFRAME_SET (94) and TOOLFRAME_SET (95) share: a frame set from a variable.
class FrameSetCommand : public FieldCommand<FrameSetCommand> {
public:
    int ID = 0;
    int coord = 0;
    int varType = 0;
    std::string m_varName;
    std::string m_newValue;

protected:
    explicit FrameSetCommand(int typeCode) : FieldCommand(typeCode) {}

    const Layout& layout() const override;
};

}  // namespace kelvo
