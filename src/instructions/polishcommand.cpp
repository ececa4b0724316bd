#include "instructions/polishcommand.h"

namespace kelvo {

const POLISHCommand::Layout& POLISHCommand::layout() const {
    static const Layout table{
        {
            {"polishID", &POLISHCommand::polishID},
            {"times", &POLISHCommand::times},
            {"angle", &POLISHCommand::angle},
        },
        {
            {128,
             "POLISH_CONTINUE ID = ",
             {{"", &POLISHCommand::polishID},
              {" TIMES = ", &POLISHCommand::times},
              {" ANGLE = ", &POLISHCommand::angle}}},
            {129, "POLISH_OFF ID = ", {{"", &POLISHCommand::polishID}}},
        },
    };
    return table;
}

}  // namespace kelvo
