#include "ctltext.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kelvoctl {

const CodeName kServoStates[4] = {{0, "stopped"}, {1, "ready"}, {2, "alarm"}, {3, "running"}};
const CodeName kModes[3] = {{0, "teach"}, {1, "remote"}, {2, "run"}};
const CodeName kCoords[4] = {{0, "joint"}, {1, "cartesian"}, {2, "tool"}, {3, "user"}};
const CodeName kRunningStates[3] = {{0, "stopped"}, {1, "paused"}, {2, "running"}};

namespace {

constexpr const char* kCartesianLabels[6] = {"X", "Y", "Z", "RX", "RY", "RZ"};

}  // namespace

std::string formatNumber(double value, int decimals) {
    char text[64];
    // A value that rounds to zero is written without a sign.
    const double shown = std::abs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
    std::snprintf(text, sizeof text, "%.*f", decimals, shown);
    return text;
}

std::optional<int> wholeNumber(const std::string& text, int lowest, int highest) {
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < lowest || value > highest)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> realNumber(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string axisName(int axis, int coord) {
    if (axis > 7)
        return "O" + std::to_string(axis - 7);
    return coord == 0 || axis == 7 ? "J" + std::to_string(axis) : kCartesianLabels[axis - 1];
}

std::string formatPosition(const Position& position, int coord, int decimals) {
    return formatAxes(position.data(), static_cast<int>(position.size()), coord, decimals);
}

std::string formatAxes(const double* values, int count, int coord, int decimals) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? "  " : "") + axisName(i + 1, coord) + " " + formatNumber(values[i], decimals);
    return text;
}

std::string describeSpeed(int speed) {
    static const char* const kSteps[] = {"1 mm or 0.1 deg", "0.1 mm or 0.01 deg",
                                         "0.01 mm or 0.001 deg"};
    if (speed >= kFirstInchingCode && speed <= kLastSpeedCode)
        return std::to_string(speed) + " (inching: " + kSteps[speed - kFirstInchingCode] +
               " per step)";
    return std::to_string(speed) + " %";
}

const char* positionUnit(int coord) {
    return coord == 0 ? "deg" : "mm, deg";
}

std::string formatIoValue(double value) {
    return value == std::floor(value) ? formatNumber(value, 0) : formatNumber(value, 3);
}

std::string formatIo(const double values[16]) {
    std::string text;
    for (int i = 0; i < 16; ++i)
        text += (i == 0 ? "" : i == 8 ? "   " : " ") + formatIoValue(values[i]);
    return text;
}

}  // namespace kelvoctl
