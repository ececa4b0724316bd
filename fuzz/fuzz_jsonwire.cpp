#include "link/jsonwire.h"

#include <cstdint>

// Whatever parses must read safely and write back without throwing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto value =
        kelvo::json::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    if (value) {
        (void)kelvo::json::intOr(kelvo::json::member(*value, "robot"));
        (void)kelvo::json::text(kelvo::json::member(*value, "data"));
        (void)kelvo::json::doubleOr(kelvo::json::element(kelvo::json::member(*value, "pos"), 3));
        (void)kelvo::json::write(*value);
    }
    return 0;
}
