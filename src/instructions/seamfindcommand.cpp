#include "instructions/seamfindcommand.h"

namespace kelvo {

const SeamFindCommand::Layout& SeamFindCommand::layout() const {
    static const Layout table{
        {
            {"m_searchNetID", &SeamFindCommand::m_searchNetID},
            {"m_searchProID", &SeamFindCommand::m_searchProID},
            {"m_searchCorrect", &SeamFindCommand::m_searchCorrect},
            {"m_searchFeaturePA", &SeamFindCommand::m_searchFeaturePA},
            {"m_searchFeaturePB", &SeamFindCommand::m_searchFeaturePB},
            {"m_searchFeaturePC", &SeamFindCommand::m_searchFeaturePC},
            {"m_searchWorkPieNum", &SeamFindCommand::m_searchWorkPieNum},
            {"m_searchtaskNum", &SeamFindCommand::m_searchtaskNum},
            {"m_searchUserCoord", &SeamFindCommand::m_searchUserCoord},
            {"m_searchToolCoord", &SeamFindCommand::m_searchToolCoord},
        },
        {
            {131,
             "SEARCH_INITIALIZE ID = ",
             {{"", &SeamFindCommand::m_searchNetID},
              {" PRO = ", &SeamFindCommand::m_searchProID},
              {" CORR = ", &SeamFindCommand::m_searchCorrect}}},
            {132,
             "SEARCH_MEASURE ID = ",
             {{"", &SeamFindCommand::m_searchNetID},
              {" POINT = ", &SeamFindCommand::m_searchFeaturePA},
              {" PART = ", &SeamFindCommand::m_searchWorkPieNum},
              {" TASK = ", &SeamFindCommand::m_searchtaskNum}}},
            {133,
             "SEARCH_CORR ID = ",
             {{"", &SeamFindCommand::m_searchNetID},
              {" POINTA = ", &SeamFindCommand::m_searchFeaturePA},
              {" POINTB = ", &SeamFindCommand::m_searchFeaturePB},
              {" POINTC = ", &SeamFindCommand::m_searchFeaturePC}}},
            {134,
             "SEARCH_CANCELCORR ID = ",
             {{"", &SeamFindCommand::m_searchNetID},
              {" USER = ", &SeamFindCommand::m_searchUserCoord}}},
            {135,
             "SEARCH_CALBR ID = ",
             {{"", &SeamFindCommand::m_searchNetID},
              {" USER = ", &SeamFindCommand::m_searchUserCoord},
              {" PART = ", &SeamFindCommand::m_searchWorkPieNum},
              {" TASK = ", &SeamFindCommand::m_searchtaskNum},
              {" TOOL = ", &SeamFindCommand::m_searchToolCoord}}},
            {136, "SEARCH_OFF ID = ", {{"", &SeamFindCommand::m_searchNetID}}},
        },
    };
    return table;
}

}  // namespace kelvo
