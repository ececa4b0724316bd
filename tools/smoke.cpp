// Builds a servo-state query the way the library sends it, cuts it out of a noisy stream again,
// and prints both, so a fresh checkout shows the codec working end to end.
#include "link/frame.h"
#include "link/framedecoder.h"
#include "link/jsonwire.h"

#include <cstdio>

int main() {
    Json::Value query;
    query["robot"] = 1;
    const QByteArray frame = kelvo::encodeFrame(0x2002, kelvo::json::write(query).value());
    std::printf("servo query frame: %s\n", frame.toHex(' ').toUpper().constData());

    kelvo::FrameDecoder decoder(kelvo::FrameDecoder::HeadErrors::Silent);
    decoder.append(QByteArray("noise") + frame);
    kelvo::Frame decoded;
    if (!decoder.next(&decoded) || decoded.command != 0x2002) {
        std::printf("smoke check FAILED\n");
        return 1;
    }
    std::printf("decoded: command 0x%04X payload %s", decoded.command, decoded.payload.constData());
    std::printf("smoke check passed\n");
    return 0;
}
