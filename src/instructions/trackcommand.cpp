#include "instructions/trackcommand.h"

namespace kelvo {

const TRACKCommand::Layout& TRACKCommand::layout() const {
    static const Layout table{
        {
            {"ID", &TRACKCommand::ID},
            {"segmentParam", &TRACKCommand::segmentParam},
            {"delay", &TRACKCommand::delay},
        },
        {
            {82,
             "LASERTRACK_ON ",
             {{"ID = ", &TRACKCommand::ID},
              {" ", &TRACKCommand::segmentParam},
              {" ", &TRACKCommand::delay}}},
            {83, "LASERTRACK_OFF ", {{"ID =  ", &TRACKCommand::ID}}},
        },
    };
    return table;
}

}  // namespace kelvo
