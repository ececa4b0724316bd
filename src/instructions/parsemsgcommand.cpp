#include "instructions/parsemsgcommand.h"

namespace kelvo {

const PARSEMSGCommand::Layout& PARSEMSGCommand::layout() const {
    static const Layout table{
        {
            {"ID", &PARSEMSGCommand::ID},
            {"expvarType", &PARSEMSGCommand::expvarType},
            {"explainValue", &PARSEMSGCommand::explainValue},
            {"clearCache", &PARSEMSGCommand::clearCache},
        },
        {
            {93,
             "PARSEMSG ID = ",
             {{"", &PARSEMSGCommand::ID},
              {" ", &PARSEMSGCommand::explainValue},
              {" CLEARCACHE = ", &PARSEMSGCommand::clearCache}}},
        },
    };
    return table;
}

}  // namespace kelvo
