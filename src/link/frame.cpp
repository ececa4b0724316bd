#include "link/frame.h"

#include "link/linklog.h"

#include <zlib.h>

#include <limits>

namespace kelvo {

quint32 crc32(const char* data, std::size_t size) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    const auto* bytes = reinterpret_cast<const Bytef*>(data);
    constexpr std::size_t kMaxStep = std::numeric_limits<uInt>::max();
    while (size > 0) {
        const std::size_t step = size < kMaxStep ? size : kMaxStep;
        crc = ::crc32(crc, bytes, static_cast<uInt>(step));
        bytes += step;
        size -= step;
    }
    return static_cast<quint32>(crc);
}

quint32 crc32(const QByteArray& bytes) {
    return crc32(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

namespace {

void appendU16(QByteArray& out, quint16 value) {
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}

void appendU32(QByteArray& out, quint32 value) {
    appendU16(out, static_cast<quint16>(value >> 16));
    appendU16(out, static_cast<quint16>(value & 0xFFFF));
}

}  // namespace

QByteArray encodeFrame(quint16 command, const QByteArray& payload) {
    if (payload.size() > kMaxPayloadSize) {
        qCDebug(lcLink) << "encodeFrame: payload of" << payload.size()
                        << "bytes exceeds the frame limit of" << kMaxPayloadSize
                        << "bytes, frame not sent";
        return {};
    }
    QByteArray frame;
    frame.reserve(payload.size() + kFrameOverhead);
    frame.append(kFrameMagic1);
    frame.append(kFrameMagic2);
    appendU16(frame, static_cast<quint16>(payload.size()));
    appendU16(frame, command);
    frame.append(payload);
    appendU32(frame, crc32(frame.constData() + 2, static_cast<std::size_t>(frame.size() - 2)));
    return frame;
}

}  // namespace kelvo
