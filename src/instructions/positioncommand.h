#pragma once

#include "instructions/fieldcommand.h"
#include "instructions/robotpos.h"

#include <memory>

namespace kelvo {

// An instruction that may own a target position, carried as "RobotPos".
template <class Self>
class PositionCommand : public FieldCommand<Self> {
public:
    using FieldCommand<Self>::FieldCommand;

    RobotPos* getRobotPos() const override { return robotPos.get(); }

    Json::Value toJson() const override {
        Json::Value json = FieldCommand<Self>::toJson();
        if (robotPos && writesPosition()) {
            json["RobotPos"] = robotPos->toJson();
        }
        return json;
    }

    // A "RobotPos" member replaces the owned position; without one the position stays as it was.
    void fromJson(const Json::Value& json) override {
        FieldCommand<Self>::fromJson(json);
        if (readsPosition() && json.isMember("RobotPos")) {
            auto position = std::make_unique<RobotPos>();
            position->fromJson(json["RobotPos"]);
            robotPos = std::move(position);
        }
    }

    std::unique_ptr<RobotPos> robotPos;

protected:
    virtual bool writesPosition() const { return true; }
    virtual bool readsPosition() const { return true; }
};

}  // namespace kelvo
