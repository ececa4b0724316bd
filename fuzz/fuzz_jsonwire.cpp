#include "fuzzinput.h"
#include "link/jsonwire.h"

#include <cstdint>

using kelvo::fuzz::check;
namespace json = kelvo::json;

// Whatever parses reads safely, and what the writer makes of it parses back to a value the writer
// writes the same way: the text is a fixed point after one pass (reals are written rounded).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto value =
        json::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    if (!value)
        return 0;
    (void)json::intOr(json::member(*value, "robot"));
    (void)json::text(json::member(*value, "data"));
    (void)json::doubleOr(json::element(json::member(*value, "pos"), 3));
    const auto text = json::write(*value);
    if (!text)
        return 0;
    check(text->endsWith('\n') && !text->contains('\0'));
    const auto again = json::parse(*text);
    check(again && json::write(*again) == text);
    check(json::parse(*json::write(*again)) == again);
    return 0;
}
