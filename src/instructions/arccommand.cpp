#include "instructions/arccommand.h"

namespace kelvo {

const ARCCommand::Layout& ARCCommand::layout() const {
    static const Layout table{
        {
            {"voltage", &ARCCommand::voltage},
            {"current", &ARCCommand::current},
            {"arcParameterId", &ARCCommand::arcParameterId},
            {"feedtime", &ARCCommand::feedtime},
        },
        {
            {23, "ARCON #", {{"", &ARCCommand::arcParameterId}}},
            {24, "ARCOFF ", {{"", &ARCCommand::arcParameterId}}},
            {25, "ARCSET V= ", {{"", &ARCCommand::voltage}, {" A= ", &ARCCommand::current}}},
            {26, "WVON #", {{"", &ARCCommand::arcParameterId}}},
            {27, "WVOFF "},
            {67, "FEEDWIRE T = ", {{"", &ARCCommand::feedtime}}},
        },
    };
    return table;
}

}  // namespace kelvo
