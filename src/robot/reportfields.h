#pragma once

#include "link/jsonwire.h"
#include "link/strictjsonreader.h"

#include <optional>

namespace kelvo {

// A member that is present and holds an integer (or a number or boolean that converts to one);
// nullopt otherwise, so a wrong-typed member counts as missing.
inline std::optional<int> intMember(const Json::Value& report, const char* key) {
    int value = 0;
    if (!json::has(report, key) || !json::toInt(json::member(report, key), &value)) {
        return std::nullopt;
    }
    return value;
}

// A member that is present and an array; shorter arrays read as zeros past their end, but a
// member of another type counts as missing rather than as all zeros.
inline bool hasArray(const Json::Value& report, const char* key) {
    return json::member(report, key).isArray();
}

inline std::optional<int> intMember(const json::QuickReport& report, const char* key) {
    return report.intMember(key);
}

inline bool hasArray(const json::QuickReport& report, const char* key) {
    return report.hasArray(key);
}

}  // namespace kelvo
