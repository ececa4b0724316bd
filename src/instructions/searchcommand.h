#pragma once

#include "instructions/positioncommand.h"

namespace kelvo {

// Touch sensing: SEARCH_START (147), SEARCH_STATIC (148), SEARCH_DYNAMIC (149),
// SEARCH_CALC (150), SEARCH_END (151), SEARCH_OFFSET (152), SEARCH_OFFSETEND (153). May own the
// position searched from.
class SEARCHCommand : public PositionCommand<SEARCHCommand> {
public:
    using PositionCommand::PositionCommand;

    int position1Id = 0;
    int position2Id = 0;
    int position3Id = 0;
    int position4Id = 0;
    int positionOutId = 0;
    int ID = 0;
    int tableID = 0;
    int senseType = 0;
    int pointEffet = 0;
    int artifactType = 0;
    int calculType = 0;
    int coordNum = 0;
    double velocity = 0.0;
    double pl = 0.0;
    double acc = 0.0;
    double delay = 0.0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
