#pragma once

#include <json/value.h>

#include <string>

namespace kelvo {

struct RobotPos;

// One instruction of a job program. It converts itself to and from the JSON object the controller
// exchanges and renders its line of the job file. Instructions own what they point to.
class Command {
public:
    explicit Command(int typeCode) : type(typeCode) {}
    virtual ~Command() = default;

    // The instruction text; empty for the bare base.
    virtual std::string toString() const;
    // {"type", "logout"}; every instruction adds its own members.
    virtual Json::Value toJson() const;
    // Reads "logout" and then the instruction's own members; a missing member reads as 0, false or
    // the empty text and replaces the default. The type code is not read back.
    // Throws Json::LogicError (a Json::Exception) when a member holds a JSON type that does not
    // convert (a string where a number belongs, a non-object where an object belongs); the members
    // read before it keep their new values. createCommand() catches it.
    virtual void fromJson(const Json::Value& json);
    // The target position the instruction owns, or null.
    virtual RobotPos* getRobotPos() const;
    // True only for the variable declarations INT, DOUBLE and BOOLEAN.
    virtual bool isVariableDeclaration() const;

    // Disabled (commented out) in the program; written as "logout", shown as " DISABLE".
    bool logout = false;
    // The type code, 1 to 155; fixed at construction.
    const int type;
};

}  // namespace kelvo
