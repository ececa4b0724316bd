#pragma once

#include <QByteArray>
#include <QtGlobal>

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
    // The control connection logs every skipped byte; the transfer connection skips silently.
    enum class HeadErrors { Logged, Silent };

    explicit FrameDecoder(HeadErrors headErrors = HeadErrors::Logged) : headErrors_(headErrors) {}

    void append(const char* data, qsizetype size);
    void append(const QByteArray& bytes) { append(bytes.constData(), bytes.size()); }

    // Takes the next good frame off the front; false when more bytes are needed.
    bool next(Frame* frame);

    // Bytes received and not yet consumed.
    qsizetype pending() const { return buffer_.size() - offset_; }

private:
    void skipGarbage();

    QByteArray buffer_;
    qsizetype offset_ = 0;
    HeadErrors headErrors_;
};

}  // namespace kelvo
