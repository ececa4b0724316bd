#include "instructions/aitocommand.h"

namespace kelvo {

const AITOCommand::Layout& AITOCommand::layout() const {
    static const Layout table{
        {
            {"ain", &AITOCommand::ain},
            {"aout", &AITOCommand::aout},
            {"para1", &AITOCommand::para1},
            {"para2", &AITOCommand::para2},
            {"para3", &AITOCommand::para3},
        },
        {
            {18,
             "AITOON AIN",
             {{"", &AITOCommand::ain},
              {" ", &AITOCommand::aout},
              {" ", &AITOCommand::para1},
              {" ", &AITOCommand::para2},
              {" ", &AITOCommand::para3}}},
            {19, "AITOOFF"},
        },
    };
    return table;
}

}  // namespace kelvo
