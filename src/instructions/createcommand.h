#pragma once

#include "instructions/command.h"

#include <json/value.h>

#include <memory>

namespace kelvo {

// Builds the instruction that json's "type" names and reads it from json. Null for a type code
// outside 0 to 155 or without an instruction class (0, 29, 31, 66, 97, 111), for a "type" that is
// not a number, and for a json whose members have types the instruction cannot read: bad input
// from a controller or a file never escapes as an exception.
std::unique_ptr<Command> createCommand(const Json::Value& json);

}  // namespace kelvo
