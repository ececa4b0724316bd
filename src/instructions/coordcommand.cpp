#include "instructions/coordcommand.h"

namespace kelvo {

const COORDCommand::Layout& COORDCommand::layout() const {
    static const Layout table{
        {
            {"coordNum", &COORDCommand::coordNum},
            {"coordType", &COORDCommand::coordType},
            {"CoordA", &COORDCommand::CoordA},
            {"CoordB", &COORDCommand::CoordB},
            {"CoordC", &COORDCommand::CoordC},
        },
        {
            {47, "SWITCHTOOL (", {{"", &COORDCommand::coordNum}, {")"}}},
            {48, "SWITCHUSER (", {{"", &COORDCommand::coordNum}, {")"}}},
            {114,
             "USERCOORD_TRANS (",
             {{"", &COORDCommand::CoordA},
              {" ", &COORDCommand::CoordB},
              {" ", &COORDCommand::CoordC},
              {")"}}},
        },
    };
    return table;
}

}  // namespace kelvo
