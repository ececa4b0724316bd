#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Tool offset: TOFFSETON (138) and TOFFSETOFF (139); calData and datatype run in parallel.
class TOFFSETCommand : public FieldCommand<TOFFSETCommand> {
public:
    using FieldCommand::FieldCommand;

    std::string coord = "RF";
    TextArray calData;
    IntArray datatype{};

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
