#include "instructions/readposcommand.h"

namespace kelvo {

const READPOSCommand::Layout& READPOSCommand::layout() const {
    static const Layout table{
        {
            {"varname", &READPOSCommand::varname},
            {"positionId", &READPOSCommand::positionId},
            {"coord", &READPOSCommand::coord},
            {"axis", &READPOSCommand::axis},
            {"posidtype", &READPOSCommand::posidtype},
            {"posidname", &READPOSCommand::posidname},
        },
        {
            {89,
             "READPOS ",
             {{"", &READPOSCommand::varname},
              {" ", writePosition<READPOSCommand>},
              {" ", &READPOSCommand::coord},
              {" ", &READPOSCommand::axis}}},
        },
    };
    return table;
}

}  // namespace kelvo
