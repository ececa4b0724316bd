#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>

namespace kelvo {

// A target position as the controller keeps it. What key, ctype and the values mean is the
// controller's; the record copies them unchanged.
struct RobotPos {
    static constexpr int kValueCount = 21;

    std::uint32_t key = 0;
    std::array<double, kValueCount> data{};
    std::int8_t ctype = 'P';

    // {"key": unsigned, "ctype": character code, "data": 21 reals}.
    Json::Value toJson() const;
    // Missing members and elements read as 0; elements past the 21st are ignored; only the low
    // 8 bits of "ctype" are kept. Throws Json::LogicError on a wrong JSON type or a negative key.
    void fromJson(const Json::Value& json);
};

}  // namespace kelvo
