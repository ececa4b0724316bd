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

void FrameDecoder::clear() {
    reportGarbageRun();
    buffer_.clear();
    offset_ = 0;
    restartSearch();
}

// Drops bytes up to the next candidate magic byte; like dropping them one at a time, it stops
// while fewer than a frame's worth of bytes remain. The run may go on in the next read.
void FrameDecoder::skipGarbage() {
    const char* begin = buffer_.constData() + offset_;
    const qsizetype limit = pending() - kFrameOverhead + 1;
    const auto* found = static_cast<const char*>(
        std::memchr(begin + 1, kFrameMagic1, static_cast<std::size_t>(limit - 1)));
    const qsizetype skipped = found ? found - begin : limit;
    garbageRun_ += skipped;
    consume(skipped);
}

// One line per run of skipped bytes: a line per byte made a burst of garbage cost minutes.
void FrameDecoder::reportGarbageRun() {
    if (garbageRun_ > 0 && headErrors_ == HeadErrors::Logged && headErrorLog_.admit(lcLink())) {
        qCDebug(lcLink).nospace() << "onTcpSocketReadyRead: head error, " << garbageRun_
                                  << " bytes skipped";
    }
    garbageRun_ = 0;
}

// Searches what lies behind the unfinished front frame for a complete frame with a good CRC and
// moves the front there; false when there is none yet.
bool FrameDecoder::skipToProvenFrame() {
    qsizetype proven = 0;  // none: every candidate starts behind the front
    const qsizetype available = pending();
    while (!proven && !waiting_.empty() && waiting_.top().first <= available) {
        if (crcMatches(waiting_.top().second)) {
            proven = waiting_.top().second;
        }
        waiting_.pop();
    }
    const char* front = buffer_.constData() + offset_;
    while (!proven && searched_ + kFrameOverhead <= available) {
        const auto* found = static_cast<const char*>(
            std::memchr(front + searched_, kFrameMagic1,
                        static_cast<std::size_t>(available - kFrameOverhead + 1 - searched_)));
        if (!found) {
            searched_ = available - kFrameOverhead + 1;
            break;
        }
        const qsizetype start = found - front;
        searched_ = start + 1;
        if (found[1] != kFrameMagic2) {
            continue;
        }
        const qsizetype end = start + readU16(found + 2) + kFrameOverhead;
        if (end > available) {
            waiting_.emplace(end, start);
        } else if (crcMatches(start)) {
            proven = start;
        }
    }
    if (!proven) {
        return false;
    }
    if (lengthErrorLog_.admit(lcLink())) {
        qCDebug(lcLink).nospace() << "onTcpSocketReadyRead: length error, " << proven
                                  << " bytes skipped";
    }
    consume(proven);
    return true;
}

// For a frame whose bytes have all come.
bool FrameDecoder::crcMatches(qsizetype start) const {
    const char* p = buffer_.constData() + offset_ + start;
    const int length = readU16(p + 2);
    return crc32(p + 2, static_cast<std::size_t>(length) + 4) == readU32(p + 6 + length);
}

void FrameDecoder::consume(qsizetype size) {
    offset_ += size;
    restartSearch();
}

void FrameDecoder::restartSearch() {
    searched_ = 1;
    if (!waiting_.empty()) {
        waiting_ = {};
    }
}

bool FrameDecoder::next(Frame* frame) {
    while (pending() >= kFrameOverhead) {
        const char* p = buffer_.constData() + offset_;
        if (p[0] != kFrameMagic1 || p[1] != kFrameMagic2) {
            skipGarbage();
            continue;
        }
        reportGarbageRun();
        const int length = readU16(p + 2);
        if (pending() < length + kFrameOverhead) {
            if (lengths_ == Lengths::Doubted && skipToProvenFrame()) {
                continue;
            }
            return false;
        }
        if (!crcMatches(0)) {
            if (crcErrorLog_.admit(lcLink())) {
                qCDebug(lcLink, "%x", readU32(p + 6 + length));
                qCDebug(lcLink) << "onTcpSocketReadyRead: crc32 error";
            }
            consume(1);
            continue;
        }
        frame->command = readU16(p + 4);
        frame->payload = QByteArray(p + 6, length);
        consume(length + kFrameOverhead);
        return true;
    }
    return false;
}

}  // namespace kelvo
