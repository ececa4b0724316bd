#include "instructions/movecommand.h"

#include <algorithm>
#include <initializer_list>
#include <iomanip>
#include <locale>
#include <sstream>

namespace kelvo {

namespace {

using Parts = std::vector<TextPart<MoveCommand>>;

void writeName(std::ostream& out, const MoveCommand& move) {
    out << move.positionName();
}

void writeNumber(std::ostream& out, const MoveCommand& move) {
    out << move.positionNumber();
}

void writeMoveSpeed(std::ostream& out, const MoveCommand& move) {
    writeSpeed(out, move.velocity, move.vUnit);
}

// IMOV and SAMOV: the speed label hangs on the unit, and the coordinate follows the unit directly.
void writeIncrementSpeed(std::ostream& out, const MoveCommand& move) {
    static constexpr std::array<const char*, 3> labels = {"", " V = ", " VJ = "};
    out << wordFor(labels, move.vUnit, "");
    writeMoveSpeed(out, move);
    out << move.imovecoord;
}

bool isAnyOf(int type, std::initializer_list<int> types) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

CommandLayout<MoveCommand> moveLayout() {
    const Parts named = {{"", writeName}, {" V = ", writeMoveSpeed}};
    const Parts namedJoint = {{"", writeName}, {" VJ = ", writeMoveSpeed}};
    const Parts numbered = {{"", writeNumber}, {" V = ", writeMoveSpeed}};
    const Parts numberedJoint = {{"", writeNumber}, {" VJ = ", writeMoveSpeed}};
    const Parts increment = {{"", writeNumber}, {"", writeIncrementSpeed}};
    const Parts cil = {{"VJ = ", writeMoveSpeed}};
    const Parts rectangle = {{"", writeName},
                             {" LENGTH = ", &MoveCommand::length},
                             {" WIDTH = ", &MoveCommand::width},
                             {" V = ", writeMoveSpeed}};
    return {
        {
            {"velocity", &MoveCommand::velocity},
            {"vUnit", &MoveCommand::vUnit},
            {"acc", &MoveCommand::acc},
            {"dec", &MoveCommand::dec},
            {"pl", &MoveCommand::pl},
            {"radius", &MoveCommand::radius},
            {"side", &MoveCommand::side},
            {"length", &MoveCommand::length},
            {"width", &MoveCommand::width},
            {"margin", &MoveCommand::margin},
            {"spin", &MoveCommand::spin},
            {"sync", &MoveCommand::sync},
            {"positionId", &MoveCommand::positionId},
            {"imovecoord", &MoveCommand::imovecoord},
            {"para", &MoveCommand::para},
            {"polish", &MoveCommand::polish},
            {"polishID", &MoveCommand::polishID},
            {"polishAngle", &MoveCommand::polishAngle},
        },
        {
            {1, "MOVJ ", namedJoint},
            {2, "MOVL ", named},
            {3, "MOVC ", named},
            {4, "MOVCA ", named},
            {5, "IMOV S", increment},
            {6, "MOVS ", named},
            {28, "CIL ", named},
            {32, "MOVJEXT E", numberedJoint},
            {33, "MOVLEXT E", numbered},
            {34, "MOVCEXT E", numbered},
            {51, "CILEXT_BEGIN ", cil},
            {52, "CILEXT_MOVE ", cil},
            {53, "MOVJDOUBLE E", numberedJoint},
            {54, "MOVLDOUBLE E", numbered},
            {55, "MOVCDOUBLE E", numbered},
            {56, "MOVCADOUBLE E", numbered},
            {57, "SAMOV R", increment},
            {60,
             "LASER_CIRCLE ",
             {{"", writeName}, {" R = ", &MoveCommand::radius}, {" V = ", writeMoveSpeed}}},
            {61, "LASER_RECTANGLE ", rectangle},
            {62, "LASER_MIDDLEHOLE ", rectangle},
            {63,
             "LASER_HEX ",
             {{"", writeName}, {" SIDE = ", &MoveCommand::side}, {" V = ", writeMoveSpeed}}},
            {106, "POLISH_EDGE ", named},
        },
    };
}

}  // namespace

Json::Value MoveCommand::robotPosJson() const {
    Json::Value json;
    if (robotPos) {
        json["RobotPos"] = robotPos->toJson();
    }
    return json;
}

std::string MoveCommand::positionName() const {
    return static_cast<char>((positionId >> 16) & 0xFF) + positionNumber();
}

std::string MoveCommand::positionNumber() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());  // no thousands separator from the host's locale: G1234
    out << std::setw(3) << std::setfill('0') << (positionId & 0xFFFF);
    return out.str();
}

const MoveCommand::Layout& MoveCommand::layout() const {
    static const Layout table = moveLayout();
    return table;
}

void MoveCommand::writeText(std::ostream& out) const {
    if (!writeTextForm(out, *this, layout().texts, type)) {
        out << "///";
    }
    writeTail(out);
}

void MoveCommand::writeTail(std::ostream& out) const {
    if (isAnyOf(type, {51, 52, 60, 61, 62, 63})) {
        out << " ACC = " << acc << " DEC = " << dec;
        if (type == 60) {
            out << " M = " << margin;
        }
    } else {
        writeBlending(out, pl, acc, dec);
        if (isAnyOf(type, {4, 56})) {
            out << " SPIN = " << spin;
        }
    }
    if (isAnyOf(type, {33, 34})) {
        out << " SYNC = " << sync;
    }
    if (isAnyOf(type, {28, 51})) {
        out << " ID = " << para;
    }
    if (type == 106) {
        out << " T = " << polish << " ID = " << polishID << " ANGLE = " << polishAngle;
    }
}

bool MoveCommand::readsPosition() const {
    return !isAnyOf(type, {51, 52});
}

}  // namespace kelvo
