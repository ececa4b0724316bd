#include "fuzzinput.h"
#include "link/jsonwire.h"
#include "link/strictjsonreader.h"

#include <json/reader.h>

#include <cstdint>
#include <memory>

using kelvo::fuzz::check;

namespace {

// jsoncpp as the wire reader sets it up, in the classic locale this process keeps.
std::optional<Json::Value> jsoncppReads(const char* text, size_t size) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["stackLimit"] = 128;
    static const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    if (!reader->parse(text, text + size, &root, nullptr))
        return std::nullopt;
    return root;
}

// A quick reading gives, member by member, what the wire helpers give on parse()'s value.
void checkQuickReading(const QByteArray& payload) {
    kelvo::json::readQuick(payload, [&payload](const kelvo::json::QuickReport& quick) {
        const std::optional<Json::Value> value = kelvo::json::parse(payload);
        check(value.has_value());
        for (const char* key : {"robot", "coord", "pos", "posDeg", "a", ""}) {
            const Json::Value& member = kelvo::json::member(*value, key);
            int asInt = 0;
            const bool isInt = kelvo::json::has(*value, key) && kelvo::json::toInt(member, &asInt);
            check(quick.intMember(key) == (isInt ? std::optional<int>(asInt) : std::nullopt));
            check(quick.hasArray(key) == member.isArray());
            for (Json::ArrayIndex i = 0; i < 9; ++i) {
                const double number = kelvo::json::doubleOr(kelvo::json::element(member, i));
                check(quick.number(key, static_cast<int>(i)) == number);
            }
        }
    });
}

}  // namespace

// Whatever the quick reader takes, jsoncpp takes too and reads as the same value, and the wire
// reader gives that value; the quick reading of report members agrees with it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const text = reinterpret_cast<const char*>(data);
    checkQuickReading(QByteArray(text, static_cast<int>(size)));
    const std::optional<Json::Value> quick = kelvo::json::readStrict(text, size);
    if (!quick)
        return 0;
    const std::optional<Json::Value> slow = jsoncppReads(text, size);
    check(slow && *slow == *quick);
    const QByteArray payload(text, static_cast<int>(size));
    check(payload.contains('\0') || kelvo::json::parse(payload) == quick);
    return 0;
}
