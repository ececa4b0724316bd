#include "instructions/command.h"

namespace kelvo {

std::string Command::toString() const {
    return {};
}

Json::Value Command::toJson() const {
    Json::Value json(Json::objectValue);
    json["type"] = type;
    json["logout"] = logout;
    return json;
}

void Command::fromJson(const Json::Value& json) {
    logout = json["logout"].asBool();
}

RobotPos* Command::getRobotPos() const {
    return nullptr;
}

bool Command::isVariableDeclaration() const {
    return false;
}

}  // namespace kelvo
