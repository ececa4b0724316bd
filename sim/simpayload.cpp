#include "simpayload.h"

#include "simcell.h"

#include "link/jsonwire.h"

namespace kelvo::sim {

SimPayload::SimPayload(const QByteArray& bytes)
    : body_(json::parse(bytes).value_or(Json::Value())) {}

std::optional<int> SimPayload::integer(const char* key) const {
    int value = 0;
    if (!json::has(body_, key) || !json::toInt(json::member(body_, key), &value))
        return std::nullopt;
    return value;
}

std::optional<double> SimPayload::number(const char* key) const {
    double value = 0;
    if (!json::has(body_, key) || !json::toDouble(json::member(body_, key), &value))
        return std::nullopt;
    return value;
}

std::optional<bool> SimPayload::boolean(const char* key) const {
    bool value = false;
    if (!json::has(body_, key) || !json::toBool(json::member(body_, key), &value))
        return std::nullopt;
    return value;
}

std::optional<PoseValues> SimPayload::point(const char* key) const {
    const Json::Value& array = json::member(body_, key);
    PoseValues values{};
    for (Json::ArrayIndex i = 0; i < values.size(); ++i) {
        const Json::Value& element = json::element(array, i);
        if (element.isNull() || !json::toDouble(element, &values[i]))
            return std::nullopt;
    }
    return values;
}

std::optional<int> SimPayload::robot(const SimCell& cell) const {
    if (!body_.isObject())
        return std::nullopt;
    const int robot =
        json::has(body_, "robot") ? integer("robot").value_or(0) : cell.selectedRobot();
    if (!cell.hasRobot(robot))
        return std::nullopt;
    return robot;
}

}  // namespace kelvo::sim
