#pragma once

#include "link/logthrottle.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

namespace kelvo {

struct Frame {
    quint16 command = 0;
    QByteArray payload;
};

// Cuts frames out of a byte stream. Garbage and bad CRCs cost one byte of resynchronisation each,
// so a good frame that starts inside a damaged region is still found at its own magic bytes.
// Consumed bytes are tracked by an offset and compacted once per append, which keeps
// resynchronisation over long garbage linear. A plain class, so fuzzers and benchmarks can drive
// it.
class FrameDecoder {
public:
    // The control connection logs skipped bytes, one line per run; the transfer connection skips
    // silently.
    enum class HeadErrors { Logged, Silent };
    // What the length field of an unfinished frame is worth. Trusted: its bytes are awaited, as
    // the transfer connection must, whose payloads are raw file bytes that may hold anything.
    // Doubted: a complete frame with a good CRC further on proves it false, as on the control
    // connection, whose payloads are JSON text that a CRC-32 practically never matches by chance.
    enum class Lengths { Trusted, Doubted };

    // What a decoder threw away, for a recorder of the link: a frame whose CRC failed (its
    // length as given), or a run of bytes skipped in search of a frame.
    enum class Fault { CrcError, BytesSkipped };
    using FaultSink = std::function<void(Fault, qint64 bytes)>;

    explicit FrameDecoder(HeadErrors headErrors = HeadErrors::Logged,
                          Lengths lengths = Lengths::Trusted)
        : headErrors_(headErrors), lengths_(lengths) {}

    void append(const char* data, qsizetype size);
    void append(const QByteArray& bytes) { append(bytes.constData(), bytes.size()); }

    // Takes the next good frame off the front; false when more bytes are needed.
    bool next(Frame* frame);

    // Drops every byte held: the start of a frame left by a closed connection must not be
    // completed by the bytes of the next one.
    void clear();

    void setFaultSink(FaultSink sink) { faultSink_ = std::move(sink); }

    // Bytes received and not yet consumed.
    qsizetype pending() const { return buffer_.size() - offset_; }

private:
    void skipGarbage();
    void reportGarbageRun();
    void reportFault(Fault fault, qint64 bytes) const;
    bool skipToProvenFrame();
    // The byte at a position of the whole stream, which must still be held.
    const char* at(qint64 position) const;

    QByteArray buffer_;
    qsizetype offset_ = 0;
    HeadErrors headErrors_;
    Lengths lengths_;
    qsizetype garbageRun_ = 0;
    // Doubted lengths, in positions of the whole stream: buffer_ starts at streamBase_; frame
    // starts behind an unfinished front have been looked for up to searchedTo_, and those that
    // still lack bytes wait as (end, start) until their end has come.
    qint64 streamBase_ = 0;
    qint64 searchedTo_ = 0;
    std::priority_queue<std::pair<qint64, qint64>, std::vector<std::pair<qint64, qint64>>,
                        std::greater<>>
        waiting_;
    FaultSink faultSink_;
    LogThrottle headErrorLog_{QStringLiteral("onTcpSocketReadyRead: head error")};
    LogThrottle crcErrorLog_{QStringLiteral("onTcpSocketReadyRead: crc32 error")};
    LogThrottle lengthErrorLog_{QStringLiteral("onTcpSocketReadyRead: length error")};
};

}  // namespace kelvo
