#include "instructions/spraycommand.h"

namespace kelvo {

const SPRAYCommand::Layout& SPRAYCommand::layout() const {
    static const Layout table{
        {
            {"gunID", &SPRAYCommand::gunID},
            {"seqID", &SPRAYCommand::seqID},
            {"traID", &SPRAYCommand::traID},
            {"colorID", &SPRAYCommand::colorID},
            {"anaID", &SPRAYCommand::anaID},
            {"flow", &SPRAYCommand::flow},
            {"sector", &SPRAYCommand::sector},
            {"atom", &SPRAYCommand::atom},
            {"V", &SPRAYCommand::V},
            {"PL", &SPRAYCommand::PL},
            {"ACC", &SPRAYCommand::ACC},
            {"DEC", &SPRAYCommand::DEC},
        },
        {
            {119,
             "SPRAY_ON G = ",
             {{"", &SPRAYCommand::gunID},
              {" T = ", &SPRAYCommand::traID},
              {" AO = ", &SPRAYCommand::anaID}}},
            {120, "SPRAY_OFF G = ", {{"", &SPRAYCommand::gunID}}},
            {121,
             "SPRAY_CHANGE G = ",
             {{"", &SPRAYCommand::gunID},
              {" T = ", &SPRAYCommand::traID},
              {" COLOR = ", &SPRAYCommand::colorID}}},
            {122,
             "SPRAY_MOVE ID = ",
             {{"", &SPRAYCommand::seqID},
              {" V = ", &SPRAYCommand::V},
              {" mm/s PL = ", &SPRAYCommand::PL},
              {" ACC = ", &SPRAYCommand::ACC},
              {" DEC = ", &SPRAYCommand::DEC}}},
            {123,
             "SPRAY_POSE ID = ",
             {{"", &SPRAYCommand::seqID},
              {" ", &SPRAYCommand::flow},
              {" ", &SPRAYCommand::sector},
              {" ", &SPRAYCommand::atom}}},
        },
    };
    return table;
}

}  // namespace kelvo
