#pragma once

#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

#include <memory>
#include <sstream>
#include <string>

namespace kelvo::test {

inline Json::Value parseJson(const std::string& text) {
    Json::Value value;
    std::istringstream in(text);
    in >> value;
    return value;
}

// Every member set to a value unlike its default, keeping its JSON type, so that a round trip
// shows each key is read back under its own name. "type" stays.
inline Json::Value varied(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return 2;
        case Json::uintValue:
            return Json::UInt(2);
        case Json::realValue:
            return 2.5;
        case Json::stringValue:
            return "X1";
        case Json::booleanValue:
            return true;
        case Json::arrayValue:
        case Json::objectValue: {
            Json::Value result = value;
            for (auto it = result.begin(); it != result.end(); ++it) {
                if (it.name() != "type")
                    *it = varied(*it);
            }
            return result;
        }
        default:
            return value;
    }
}

}  // namespace kelvo::test
