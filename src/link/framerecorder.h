#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <mutex>
#include <vector>

namespace kelvo {

// The last frames of a session's links in both directions, with the link events between them, so
// that what the controller and the library said just before a fault can be read afterwards. Safe
// from any thread: a record is prepared outside the lock, which is held only to put it in its
// slot, and a dump copies the ring (payloads are shared, not copied) before it formats anything.
class FrameRecorder {
public:
    enum class Link { Control, Transfer };
    enum class Direction { In, Out };
    enum class Event { Frame, Connected, Lost, Silence, CrcError, BytesSkipped };
    // The name of a command word; empty when it has none. Asked only while dumping.
    using WordNames = std::function<QByteArray(Link, Direction, quint16 word)>;

    static constexpr int kDefaultFrames = 2000;
    // Longer payloads are cut here; the record keeps their full length.
    static constexpr int kPayloadLimit = 4096;

    explicit FrameRecorder(int frames = kDefaultFrames);

    // The oldest records beyond the new size are dropped; 0 records nothing. Negative is ignored.
    void setCapacity(int frames);
    void setWordNames(WordNames names);
    // Where a dump is written on every link loss and by autoDump(); label names the session in the
    // file name. An empty dir writes nothing.
    void setAutoDumpDir(const QString& dir, const QString& label);

    void recordFrame(Link link, Direction direction, quint16 word, const QByteArray& payload);
    // detail: the reason of a loss; bytes: how many were skipped or failed their CRC.
    void recordEvent(Link link, Event event, const QString& detail = QString(), qint64 bytes = 0);

    // The record as JSON Lines, oldest first; false when the file cannot be written.
    bool dump(const QString& path) const;
    // A dump into the automatic dump folder, if one is set.
    void autoDump() const;

private:
    struct Record {
        qint64 monotonicNs = 0;
        qint64 wallMs = 0;
        Link link = Link::Control;
        Event event = Event::Frame;
        Direction direction = Direction::In;
        quint16 word = 0;
        qint64 length = 0;   // of the whole payload, or the bytes of an event
        QByteArray payload;  // at most kPayloadLimit bytes
        QString detail;
    };

    void store(Record record);
    std::vector<Record> snapshot() const;
    static QByteArray line(const Record& record, quint64 sequence, const WordNames& names);

    mutable std::mutex mutex_;
    std::vector<Record> ring_;  // grows up to capacity_, then wraps at next_
    std::size_t next_ = 0;
    int capacity_;
    quint64 dropped_ = 0;  // records overwritten, so that dumps number records across the ring
    WordNames names_;
    QString autoDumpDir_;
    QString label_;
};

}  // namespace kelvo
