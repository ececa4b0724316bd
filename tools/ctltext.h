#pragma once

#include <array>
#include <optional>
#include <string>

// Words and numbers of kelvoctl: the names of the controller's codes, and strict parsing of what
// the user typed.
namespace kelvoctl {

struct CodeName {
    int code;
    const char* name;
};

// Servo states, operation modes, coordinate systems and program running states.
extern const CodeName kServoStates[4];
extern const CodeName kModes[3];
extern const CodeName kCoords[4];
extern const CodeName kRunningStates[3];

// "teach (0)"; a code without a name as the number alone.
template <size_t N>
std::string describe(const CodeName (&names)[N], int code) {
    for (const CodeName& entry : names) {
        if (entry.code == code)
            return std::string(entry.name) + " (" + std::to_string(code) + ")";
    }
    return std::to_string(code);
}

// A name of the table or one of its codes as a number.
template <size_t N>
std::optional<int> codeOf(const CodeName (&names)[N], const std::string& text) {
    for (const CodeName& entry : names) {
        if (text == entry.name || text == std::to_string(entry.code))
            return entry.code;
    }
    return std::nullopt;
}

// The whole text as a number; empty for anything else (trailing characters, out of range, not
// finite).
std::optional<int> wholeNumber(const std::string& text, int lowest, int highest);
std::optional<double> realNumber(const std::string& text);

using Position = std::array<double, 6>;

// "J1 30.000  J2 15.000 ..." for joint coordinates, "X 500.000  Y 0.000 ... RZ 0.000" otherwise.
std::string formatPosition(const Position& position, int coord, int decimals = 3);
// The unit of the values of a coordinate system.
const char* positionUnit(int coord);
// An I/O value: whole numbers without decimals.
std::string formatIoValue(double value);
// 16 I/O values, in two groups of eight.
std::string formatIo(const double values[16]);

}  // namespace kelvoctl
