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

constexpr const char* kJointLabels[6] = {"J1", "J2", "J3", "J4", "J5", "J6"};
constexpr const char* kCartesianLabels[6] = {"X", "Y", "Z", "RX", "RY", "RZ"};

std::string number(double value, int decimals) {
    char text[64];
    // A value that rounds to zero is written without a sign.
    const double shown = std::abs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
    std::snprintf(text, sizeof text, "%.*f", decimals, shown);
    return text;
}

}  // namespace

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

std::string formatPosition(const Position& position, int coord, int decimals) {
    const char* const* labels = coord == 0 ? kJointLabels : kCartesianLabels;
    std::string text;
    for (size_t i = 0; i < position.size(); ++i)
        text += (i ? "  " : "") + std::string(labels[i]) + " " + number(position[i], decimals);
    return text;
}

const char* positionUnit(int coord) {
    return coord == 0 ? "deg" : "mm, deg";
}

std::string formatIoValue(double value) {
    return value == std::floor(value) ? number(value, 0) : number(value, 3);
}

std::string formatIo(const double values[16]) {
    std::string text;
    for (int i = 0; i < 16; ++i)
        text += (i == 0 ? "" : i == 8 ? "   " : " ") + formatIoValue(values[i]);
    return text;
}

}  // namespace kelvoctl
