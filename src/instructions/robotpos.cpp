#include "instructions/robotpos.h"

namespace kelvo {

Json::Value RobotPos::toJson() const {
    Json::Value json(Json::objectValue);
    json["key"] = Json::UInt(key);
    json["ctype"] = int(ctype);
    Json::Value& values = json["data"] = Json::Value(Json::arrayValue);
    for (double value : data) {
        values.append(value);
    }
    return json;
}

void RobotPos::fromJson(const Json::Value& json) {
    key = json["key"].asUInt();
    ctype = static_cast<std::int8_t>(json["ctype"].asInt() & 0xFF);
    const Json::Value& values = json["data"];
    for (Json::ArrayIndex i = 0; i < data.size(); ++i) {
        data[i] = values[i].asDouble();
    }
}

}  // namespace kelvo
