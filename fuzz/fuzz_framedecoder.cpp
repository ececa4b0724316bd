#include "link/frame.h"
#include "link/framedecoder.h"

#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>

// Feeds the input in pieces whose sizes come from its first byte; every frame cut must be sound.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QLoggingCategory::setFilterRules("kelvo.link.debug=false");
    if (size == 0)
        return 0;
    const size_t step = 1 + data[0] % 64;
    kelvo::FrameDecoder decoder;
    kelvo::Frame frame;
    for (size_t at = 1; at < size; at += step) {
        const size_t n = size - at < step ? size - at : step;
        decoder.append(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(n));
        while (decoder.next(&frame)) {
            if (kelvo::encodeFrame(frame.command, frame.payload).size() !=
                frame.payload.size() + kelvo::kFrameOverhead) {
                std::abort();
            }
        }
    }
    return 0;
}
