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

}  // namespace

// Whatever the quick reader takes, jsoncpp takes too and reads as the same value, and the wire
// reader gives that value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const text = reinterpret_cast<const char*>(data);
    const std::optional<Json::Value> quick = kelvo::json::readStrict(text, size);
    if (!quick)
        return 0;
    const std::optional<Json::Value> slow = jsoncppReads(text, size);
    check(slow && *slow == *quick);
    const QByteArray payload(text, static_cast<int>(size));
    check(payload.contains('\0') || kelvo::json::parse(payload) == quick);
    return 0;
}
