#pragma once

#include <json/value.h>

#include <cstddef>
#include <optional>

namespace kelvo::json {

// A quick, locale-free reading of plain JSON (valid UTF-8, no comments, nothing after the value,
// shallow nesting), with the value jsoncpp would build from it. Empty for
// anything else; the caller then reads the text with jsoncpp, which decides. Never throws.
std::optional<Json::Value> readStrict(const char* data, std::size_t size);

}  // namespace kelvo::json
