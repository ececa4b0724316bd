#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <string>

// How every instruction text is composed, in one place:
// - Numbers are written as a standard stream writes them by default (6 significant digits: 50,
//   12.5, 1.23457e+06; integers in decimal), in the classic locale whatever the host has set.
// - " DISABLE" comes last when the instruction is disabled.
// - Texts that the controller's vocabulary does not fix in full are the keyword, then the members
//   the instruction shows in the order of its keyword parts: a member with a label (" ID = ",
//   " V = ") follows its label, one without follows bare after a single blank, and a velocity is
//   followed by its unit text. A position reference of kind 0 is the current position, CURPOS;
//   otherwise it is its name. Keyword blanks are not doubled.
// - A type code the class does not know writes kUnknownCommandText. A member that selects a word
//   (a comparison, a move kind, a calculation) writes "?" for a value that has none; a velocity
//   unit outside the table writes nothing.
namespace kelvo {

inline constexpr const char* kUnknownCommandText = "#UNKNOWN COMMAND!!";

// By vUnit: 0 cm/s, 1 mm/s, 2 percent.
inline constexpr std::array<const char*, 3> velocityUnitText = {" cm/s", " mm/s", " %"};

// The entry for index, or the fallback when there is none.
template <std::size_t N>
const char* wordFor(const std::array<const char*, N>& words, int index,
                    const char* fallback = "?") {
    return index >= 0 && static_cast<std::size_t>(index) < N ? words[index] : fallback;
}

inline const char* unitText(int vUnit) {
    return wordFor(velocityUnitText, vUnit, "");
}

inline void writeSpeed(std::ostream& out, double velocity, int vUnit) {
    out << velocity << unitText(vUnit);
}

// " PL = pl ACC = acc DEC = dec": the tail of every move with a velocity.
template <class Pl>
void writeBlending(std::ostream& out, Pl pl, double acc, double dec) {
    out << " PL = " << pl << " ACC = " << acc << " DEC = " << dec;
}

// The move label by move type: "MovJ", "MovL", anything else.
using MotionLabels = std::array<const char*, 3>;

// The label the move type picks, the velocity with its unit, then the blending tail.
inline void writeMotion(std::ostream& out, const MotionLabels& labels, const std::string& moveType,
                        double velocity, int vUnit, int pl, double acc, double dec) {
    const int index = moveType == "MovJ" ? 0 : moveType == "MovL" ? 1 : 2;
    out << labels[index];
    writeSpeed(out, velocity, vUnit);
    writeBlending(out, pl, acc, dec);
}

// CURPOS for kind 0, else the position's name.
inline void writePositionRef(std::ostream& out, int kind, const std::string& name) {
    if (kind == 0) {
        out << "CURPOS";
    } else {
        out << name;
    }
}

// Composers for the classes whose members carry the same names.

// POSCAL and POSCALALL: by caltype, 0 adds, 1 subtracts, 2 sets.
template <class C>
void writeCalculationKind(std::ostream& out, const C& calculation) {
    static constexpr std::array<const char*, 3> kinds = {"ADD", "SUB", "SET"};
    out << wordFor(kinds, calculation.caltype);
}

// The position of READPOS, POSCAL and POSCALALL.
template <class C>
void writePosition(std::ostream& out, const C& command) {
    writePositionRef(out, command.posidtype, command.posidname);
}

// The seven values of POSCALALL and TOFFSET, each after a blank.
template <class C>
void writeCalData(std::ostream& out, const C& command) {
    for (const std::string& value : command.calData) {
        out << ' ' << value;
    }
}

}  // namespace kelvo
