#include "instructions/varcommand.h"

namespace kelvo {

namespace {

CommandLayout<VARCommand> varLayout() {
    const std::vector<TextPart<VARCommand>> assignment = {{"", &VARCommand::key},
                                                          {" = ", &VARCommand::strValue}};
    return {
        {
            {"key", &VARCommand::key},
            {"intValue", &VARCommand::intValue},
            {"doubleValue", &VARCommand::doubleValue},
            {"boolValue", &VARCommand::boolValue},
            {"varType", &VARCommand::varType},
            {"strValue", &VARCommand::strValue},
        },
        {
            {35, "INT ", assignment},
            {36, "DOUBLE ", assignment},
            {37, "BOOLEAN ", assignment},
            {38, "SETINT ", assignment},
            {39, "SETDOUBLE ", assignment},
            {40, "SETBOOL ", assignment},
        },
    };
}

}  // namespace

const VARCommand::Layout& VARCommand::layout() const {
    static const Layout table = varLayout();
    return table;
}

bool VARCommand::isVariableDeclaration() const {
    return type >= 35 && type <= 37;
}

}  // namespace kelvo
