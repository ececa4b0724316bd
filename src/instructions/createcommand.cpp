#include "instructions/createcommand.h"

#include "instructions/ifcommand.h"
#include "instructions/jumpcommand.h"
#include "instructions/movecommand.h"
#include "instructions/timercommand.h"
#include "instructions/untilcommand.h"
#include "instructions/waitcommand.h"
#include "instructions/whilecommand.h"

#include <json/value.h>

#include <type_traits>

namespace kelvo {

namespace {

using Creator = std::unique_ptr<Command> (*)(int type);

// Classes with one type code fix it themselves; the others take it.
template <class C>
std::unique_ptr<Command> create(int type) {
    if constexpr (std::is_constructible_v<C, int>) {
        return std::make_unique<C>(type);
    } else {
        return std::make_unique<C>();
    }
}

struct CodeRange {
    int first;
    int last;
    Creator creator;
};

// Type codes 0 to 155; a code in no range has no class.
constexpr CodeRange kClasses[] = {
    {1, 6, create<MoveCommand>},   {7, 7, create<TimerCommand>},   {8, 8, create<WaitCommand>},
    {9, 12, create<IFCommand>},    {13, 14, create<WHILECommand>}, {28, 28, create<MoveCommand>},
    {32, 34, create<MoveCommand>}, {49, 50, create<JUMPCommand>},  {51, 57, create<MoveCommand>},
    {60, 63, create<MoveCommand>}, {84, 85, create<UNTILCommand>}, {106, 106, create<MoveCommand>},
};

Creator creatorFor(int type) {
    for (const CodeRange& range : kClasses) {
        if (type >= range.first && type <= range.last) {
            return range.creator;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Command> createCommand(const Json::Value& json) {
    try {
        const int type = json["type"].asInt();
        const Creator creator = creatorFor(type);
        if (!creator) {
            return nullptr;
        }
        std::unique_ptr<Command> command = creator(type);
        command->fromJson(json);
        return command;
    } catch (const Json::Exception&) {
        return nullptr;
    }
}

}  // namespace kelvo
