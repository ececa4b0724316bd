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

// Jog speeds: percent of the top speed, or an inching step.
constexpr int kFirstInchingCode = 101;
constexpr int kLastSpeedCode = 103;

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

// value with that many decimals; one that rounds to zero without a sign.
std::string formatNumber(double value, int decimals);
// Axis 1 to 12: J1 to J6 in joint coordinates (coord 0), X, Y, Z, RX, RY, RZ otherwise; J7 a
// seventh joint, O1 to O5 the external axes.
std::string axisName(int axis, int coord);
// "J1 30.000  J2 15.000 ..." for joint coordinates, "X 500.000  Y 0.000 ... RZ 0.000" otherwise.
std::string formatPosition(const Position& position, int coord, int decimals = 3);
// The same for count values, as many as a position report carries.
std::string formatAxes(const double* values, int count, int coord, int decimals = 3);
// "50 %", or "101 (inching: 1 mm or 0.1 deg per step)".
std::string describeSpeed(int speed);
// The unit of the values of a coordinate system.
const char* positionUnit(int coord);
// An I/O value: whole numbers without decimals.
std::string formatIoValue(double value);
// 16 I/O values, in two groups of eight.
std::string formatIo(const double values[16]);

}  // namespace kelvoctl
