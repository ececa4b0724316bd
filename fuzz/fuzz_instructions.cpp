#include "fuzzinput.h"
#include "instructions/createcommand.h"
#include "link/jsonwire.h"

#include <cstdint>

using kelvo::fuzz::check;
namespace json = kelvo::json;

namespace {

constexpr int kTypeCodes = 156;

}  // namespace

// Byte 0 picks the type code, the rest is the instruction's JSON. An instruction read from it
// gives text and JSON from which createCommand rebuilds the same instruction, also through the
// wire's text; nothing throws and nothing leaks.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const auto parsed = json::parse(
        QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1)));
    Json::Value object = parsed && parsed->isObject() ? *parsed : Json::Value(Json::objectValue);
    object["type"] = data[0] % kTypeCodes;

    const auto command = kelvo::createCommand(object);
    if (!command)
        return 0;
    const std::string text = command->toString();
    const Json::Value written = command->toJson();
    (void)command->getRobotPos();
    (void)command->isVariableDeclaration();

    const auto rebuilt = kelvo::createCommand(written);
    check(rebuilt && rebuilt->type == command->type);
    check(rebuilt->toString() == text);
    const auto wire = json::write(written);
    check(json::write(rebuilt->toJson()) == wire);
    if (!wire)
        return 0;

    const auto fromWire = kelvo::createCommand(*json::parse(*wire));
    check(fromWire && json::write(fromWire->toJson()) == wire);
    return 0;
}
