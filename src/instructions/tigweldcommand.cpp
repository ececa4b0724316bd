#include "instructions/tigweldcommand.h"

namespace kelvo {

const TIGWeldCommand::Layout& TIGWeldCommand::layout() const {
    static const Layout table{
        {
            {"l2", &TIGWeldCommand::l2},
            {"timeOFTIG", &TIGWeldCommand::timeOFTIG},
            {"typeOFTIG", &TIGWeldCommand::typeOFTIG},
            {"l1", &TIGWeldCommand::l1},
        },
        {
            {64,
             "TIGWELDON ",
             {{"T = ", &TIGWeldCommand::timeOFTIG},
              {" L1 = ", &TIGWeldCommand::l1},
              {" L2 = ", &TIGWeldCommand::l2}}},
            {65, "TIGWELDOFF"},
        },
    };
    return table;
}

}  // namespace kelvo
