#include "instructions/palcommand.h"

namespace kelvo {

namespace {

void writeMove(std::ostream& out, const PALCommand& pal) {
    static constexpr MotionLabels labels = {" MovJ VJ = ", " MovL V = ", " MovC V = "};
    writeMotion(out, labels, pal.moveType, pal.V, pal.vUnit, pal.PL, pal.ACC, pal.DEC);
    out << ' ';
}

void writeOptions(std::ostream& out, const PALCommand& pal) {
    out << (pal.xyOpt ? "ON " : "OFF ") << (pal.zOpt ? "ON" : "OFF");
}

CommandLayout<PALCommand> palLayout() {
    const TextPart<PALCommand> id = {"ID = ", &PALCommand::ID};
    const TextPart<PALCommand> motion = {"", writeMove};
    return {
        {
            {"ID", &PALCommand::ID},
            {"STACKTYPE", &PALCommand::STACKTYPE},
            {"NUM", &PALCommand::NUM},
            {"tool", &PALCommand::tool},
            {"xyOpt", &PALCommand::xyOpt},
            {"zOpt", &PALCommand::zOpt},
            {"moveType", &PALCommand::moveType},
            {"V", &PALCommand::V},
            {"PL", &PALCommand::PL},
            {"ACC", &PALCommand::ACC},
            {"DEC", &PALCommand::DEC},
            {"VARNAME", &PALCommand::VARNAME},
            {"MULTIPAL", &PALCommand::MULTIPAL},
            {"PalVar", &PALCommand::PalVar},
            {"PalLevel", &PALCommand::PalLevel},
            {"PalNumber", &PALCommand::PalNumber},
            {"vUnit", &PALCommand::vUnit},
        },
        {
            {68,
             "PALON ",
             {id,
              {" TYPE = ", &PALCommand::STACKTYPE},
              {" ", &PALCommand::PalVar},
              {" ", &PALCommand::PalLevel},
              {" ", &PALCommand::PalNumber},
              {" MULTI = ", &PALCommand::MULTIPAL}}},
            {69, "PALGRIPPER ", {id, {" GRIPPERS = ", &PALCommand::tool}}},
            {70,
             "PALLET ",
             {id, {" TYPE = ", &PALCommand::STACKTYPE}, {" NUM = ", &PALCommand::NUM}}},
            {71, "PALENTER ", {id, motion, {"", writeOptions}}},
            {72, "PALSHIFT ", {id, motion}},
            {73, "PALREAL ", {id, motion}},
            {74, "PALCLEAR ", {id}},
            {75, "PALOFF ", {id, {" ", &PALCommand::VARNAME}}},
        },
    };
}

}  // namespace

const PALCommand::Layout& PALCommand::layout() const {
    static const Layout table = palLayout();
    return table;
}

}  // namespace kelvo
