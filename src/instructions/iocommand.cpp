#include "instructions/iocommand.h"

namespace kelvo {

namespace {

// The value written: the variable's name, or the number itself.
void writeValue(std::ostream& out, const IOCommand& io) {
    if (io.valueIsVariant) {
        out << io.varName;
    } else {
        out << io.portValue;
    }
}

}  // namespace

const IOCommand::Layout& IOCommand::layout() const {
    static const Layout table{
        {
            {"group", &IOCommand::group},
            {"groupValue", &IOCommand::groupValue},
            {"groupType", &IOCommand::groupType},
            {"portId", &IOCommand::portId},
            {"portValue", &IOCommand::portValue},
            {"valueIsVariant", &IOCommand::valueIsVariant},
            {"varName", &IOCommand::varName},
            {"varType", &IOCommand::varType},
            {"rate", &IOCommand::rate},
            {"sum", &IOCommand::sum},
            {"time", &IOCommand::time},
        },
        {
            {16,
             "DOUT ",
             {{"", &IOCommand::groupType},
              {"(", &IOCommand::portId},
              {") ", writeValue},
              {" T = ", &IOCommand::time}}},
            {17,
             "DIN ",
             {{"", &IOCommand::varName},
              {" ", &IOCommand::groupType},
              {"(", &IOCommand::portId},
              {")"}}},
            {20, "AOUT AOUT", {{"", &IOCommand::portId}, {" ", writeValue}}},
            {21, "AIN ", {{"", &IOCommand::varName}, {" AIN", &IOCommand::portId}}},
            {22, "PULSEOUT RATE = ", {{"", &IOCommand::rate}, {" SUM = ", &IOCommand::sum}}},
            {96,
             "READ_DOUT ",
             {{"", &IOCommand::varName},
              {" ", &IOCommand::groupType},
              {"(", &IOCommand::portId},
              {") "}}},
        },
    };
    return table;
}

}  // namespace kelvo
