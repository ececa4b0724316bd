#include "rawframes.h"

#include "link/frame.h"

namespace kelvo::sim::raw {

QByteArray garbage(int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i) {
        const char byte = static_cast<char>((i * 37 + 11) & 0xFF);
        bytes.append(byte == kFrameMagic1 ? char(0x4F) : byte);
    }
    return bytes;
}

QByteArray withBadCrc(quint16 command, const QByteArray& payload) {
    QByteArray frame = encodeFrame(command, payload);
    frame[frame.size() - 1] = static_cast<char>(frame.at(frame.size() - 1) ^ 0x5A);
    return frame;
}

QByteArray withLength(quint16 command, const QByteArray& payload, quint16 length) {
    QByteArray frame = encodeFrame(command, payload);
    frame[2] = static_cast<char>(length >> 8);
    frame[3] = static_cast<char>(length & 0xFF);
    return frame;
}

}  // namespace kelvo::sim::raw
