#include "instructions/copyposcommand.h"

namespace kelvo {

namespace {

void writeSource(std::ostream& out, const COPYPOSCommand& copy) {
    writePositionRef(out, copy.cppostype, copy.cpposname);
}

}  // namespace

const COPYPOSCommand::Layout& COPYPOSCommand::layout() const {
    static const Layout table{
        {
            {"cpposId", &COPYPOSCommand::cpposId},
            {"cppostype", &COPYPOSCommand::cppostype},
            {"cpposname", &COPYPOSCommand::cpposname},
            {"cpdposId", &COPYPOSCommand::cpdposId},
            {"cpdpostype", &COPYPOSCommand::cpdpostype},
            {"cpdposname", &COPYPOSCommand::cpdposname},
        },
        {
            {115, "COPYPOS ", {{"", writeSource}, {" TO ", &COPYPOSCommand::cpdposname}}},
        },
    };
    return table;
}

}  // namespace kelvo
