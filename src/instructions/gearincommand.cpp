#include "instructions/gearincommand.h"

namespace kelvo {

const GEARINCommand::Layout& GEARINCommand::layout() const {
    static const Layout table{
        {
            {"mainAxle", &GEARINCommand::mainAxle},
            {"followAxle", &GEARINCommand::followAxle},
            {"proportionfactor", &GEARINCommand::proportionfactor},
        },
        {
            {145,
             "GEARIN ",
             {{"", &GEARINCommand::mainAxle},
              {" ", &GEARINCommand::followAxle},
              {" ", &GEARINCommand::proportionfactor}}},
            {146, "ENDGEARIN"},
        },
    };
    return table;
}

}  // namespace kelvo
