#include "link/framedecoder.h"

#include "link/frame.h"
#include "link/linklog.h"

#include <algorithm>
#include <cstring>

namespace kelvo {

namespace {

quint16 readU16(const char* p) {
    return static_cast<quint16>((static_cast<quint8>(p[0]) << 8) | static_cast<quint8>(p[1]));
}

quint32 readU32(const char* p) {
    return (static_cast<quint32>(readU16(p)) << 16) | readU16(p + 2);
}

// For a frame whose bytes have all come.
bool crcMatches(const char* frame) {
    const int length = readU16(frame + 2);
    return crc32(frame + 2, static_cast<std::size_t>(length) + 4) == readU32(frame + 6 + length);
}

}  // namespace

void FrameDecoder::append(const char* data, qsizetype size) {
    if (offset_ > 0) {
        buffer_.remove(0, offset_);
        streamBase_ += offset_;
        offset_ = 0;
    }
    buffer_.append(data, size);
}

void FrameDecoder::clear() {
    reportGarbageRun();
    buffer_.clear();
    offset_ = 0;
    streamBase_ = 0;
    searchedTo_ = 0;
    waiting_ = {};
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
    offset_ += skipped;
}

// One line per run of skipped bytes: a line per byte made a burst of garbage cost minutes.
void FrameDecoder::reportGarbageRun() {
    if (garbageRun_ > 0)
        reportFault(Fault::BytesSkipped, garbageRun_);
    if (garbageRun_ > 0 && headErrors_ == HeadErrors::Logged && headErrorLog_.admit(lcLink())) {
        qCDebug(lcLink).nospace() << "onTcpSocketReadyRead: head error, " << garbageRun_
                                  << " bytes skipped";
    }
    garbageRun_ = 0;
}

// Searches what lies behind the unfinished front frame for a complete frame with a good CRC and
// moves the front there; false when there is none yet. Only bytes not searched before are
// searched, and a frame start still lacking bytes is checked once, when they have come.
bool FrameDecoder::skipToProvenFrame() {
    const qint64 front = streamBase_ + offset_;
    const qint64 end = streamBase_ + buffer_.size();
    std::optional<qint64> proven;
    while (!proven && !waiting_.empty() && waiting_.top().first <= end) {
        const qint64 start = waiting_.top().second;
        waiting_.pop();
        if (start > front && crcMatches(at(start))) {
            proven = start;
        }
    }
    searchedTo_ = std::max(searchedTo_, front + 1);
    const qint64 lastStart = end - kFrameOverhead;
    while (!proven && searchedTo_ <= lastStart) {
        const auto* found = static_cast<const char*>(std::memchr(
            at(searchedTo_), kFrameMagic1, static_cast<std::size_t>(lastStart + 1 - searchedTo_)));
        if (!found) {
            searchedTo_ = lastStart + 1;
            break;
        }
        const qint64 start = streamBase_ + (found - buffer_.constData());
        searchedTo_ = start + 1;
        if (found[1] != kFrameMagic2) {
            continue;
        }
        const qint64 frameEnd = start + readU16(found + 2) + kFrameOverhead;
        if (frameEnd > end) {
            waiting_.emplace(frameEnd, start);
        } else if (crcMatches(found)) {
            proven = start;
        }
    }
    if (!proven) {
        return false;
    }
    reportFault(Fault::BytesSkipped, *proven - front);
    if (lengthErrorLog_.admit(lcLink())) {
        qCDebug(lcLink).nospace() << "onTcpSocketReadyRead: length error, " << *proven - front
                                  << " bytes skipped";
    }
    offset_ += *proven - front;
    return true;
}

void FrameDecoder::reportFault(Fault fault, qint64 bytes) const {
    if (faultSink_)
        faultSink_(fault, bytes);
}

const char* FrameDecoder::at(qint64 position) const {
    return buffer_.constData() + (position - streamBase_);
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
        if (!crcMatches(p)) {
            reportFault(Fault::CrcError, length);
            if (crcErrorLog_.admit(lcLink())) {
                qCDebug(lcLink, "%x", readU32(p + 6 + length));
                qCDebug(lcLink) << "onTcpSocketReadyRead: crc32 error";
            }
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
