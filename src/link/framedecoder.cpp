#include "link/framedecoder.h"

#include "link/frame.h"
#include "link/linklog.h"

#include <cstring>

namespace kelvo {

namespace {

quint16 readU16(const char* p) {
    return static_cast<quint16>((static_cast<quint8>(p[0]) << 8) | static_cast<quint8>(p[1]));
}

quint32 readU32(const char* p) {
    return (static_cast<quint32>(readU16(p)) << 16) | readU16(p + 2);
}

}  // namespace

void FrameDecoder::append(const char* data, qsizetype size) {
    if (offset_ > 0) {
        buffer_.remove(0, offset_);
        offset_ = 0;
    }
    buffer_.append(data, size);
}

// Drops bytes up to the next candidate magic byte, one log line per byte dropped, as dropping them
// one at a time would; like that, it stops while fewer than a frame's worth of bytes remain.
void FrameDecoder::skipGarbage() {
    const char* begin = buffer_.constData() + offset_;
    const qsizetype limit = pending() - kFrameOverhead + 1;
    const auto* found = static_cast<const char*>(
        std::memchr(begin + 1, kFrameMagic1, static_cast<std::size_t>(limit - 1)));
    const qsizetype skipped = found ? found - begin : limit;
    if (headErrors_ == HeadErrors::Logged && lcLink().isDebugEnabled()) {
        for (qsizetype i = 0; i < skipped; ++i) {
            qCDebug(lcLink) << "onTcpSocketReadyRead: head error";
        }
    }
    offset_ += skipped;
}

bool FrameDecoder::next(Frame* frame) {
    while (pending() >= kFrameOverhead) {
        const char* p = buffer_.constData() + offset_;
        if (p[0] != kFrameMagic1 || p[1] != kFrameMagic2) {
            skipGarbage();
            continue;
        }
        const int length = readU16(p + 2);
        if (pending() < length + kFrameOverhead) {
            return false;
        }
        const quint32 received = readU32(p + 6 + length);
        if (crc32(p + 2, static_cast<std::size_t>(length) + 4) != received) {
            qCDebug(lcLink, "%x", received);
            qCDebug(lcLink) << "onTcpSocketReadyRead: crc32 error";
            ++offset_;
            continue;
        }
        frame->command = readU16(p + 4);
        frame->payload = QByteArray(p + 6, length);
        offset_ += length + kFrameOverhead;
        return true;
    }
    return false;
}

}  // namespace kelvo
