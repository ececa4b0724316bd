#pragma once

#include "instructions/fieldcommand.h"

namespace kelvo {

// Seam finding: SEARCH_INITIALIZE (131), SEARCH_MEASURE (132), SEARCH_CORR (133),
// SEARCH_CANCELCORR (134), SEARCH_CALBR (135), SEARCH_OFF (136).
class SeamFindCommand : public FieldCommand<SeamFindCommand> {
public:
    using FieldCommand::FieldCommand;

    int m_searchNetID = 0;
    int m_searchProID = 0;
    int m_searchCorrect = 0;
    int m_searchFeaturePA = 0;
    int m_searchFeaturePB = 0;
    int m_searchFeaturePC = 0;
    int m_searchWorkPieNum = 0;
    int m_searchtaskNum = 0;
    int m_searchUserCoord = 0;
    int m_searchToolCoord = 0;

protected:
    const Layout& layout() const override;
};

}  // namespace kelvo
