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

// CURPOS for kind 0, else the position's name.
inline void writePositionRef(std::ostream& out, int kind, const std::string& name) {
    if (kind == 0) {
        out << "CURPOS";
    } else {
        out << name;
    }
}

}  // namespace kelvo
