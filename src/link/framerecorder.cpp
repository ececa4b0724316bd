#include "link/framerecorder.h"

#include "link/jsonwire.h"
#include "link/linklog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextCodec>

#include <chrono>
#include <deque>
#include <utility>

namespace kelvo {

namespace {

// A link that keeps dropping must not fill the disk: the automatic dumps of the process are
// bounded, the oldest of them replaced.
constexpr std::size_t kAutoDumpsKept = 20;

class AutoDumpFiles {
public:
    static AutoDumpFiles& instance() {
        static AutoDumpFiles files;
        return files;
    }

    QString next(const QString& dir, const QString& label) {
        std::lock_guard<std::mutex> lock(mutex_);
        const QString name = QStringLiteral("kelvo-trace-%1-%2-%3.jsonl")
                                 .arg(label, QDateTime::currentDateTimeUtc().toString(
                                                 QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                                 .arg(++count_, 4, 10, QLatin1Char('0'));
        written_.push_back(QDir(dir).filePath(name));
        while (written_.size() > kAutoDumpsKept) {
            QFile::remove(written_.front());
            written_.pop_front();
        }
        return written_.back();
    }

private:
    std::mutex mutex_;
    std::deque<QString> written_;
    quint64 count_ = 0;
};

const char* linkName(FrameRecorder::Link link) {
    return link == FrameRecorder::Link::Control ? "control" : "transfer";
}

const char* eventName(FrameRecorder::Event event) {
    switch (event) {
        case FrameRecorder::Event::Frame:
            return "frame";
        case FrameRecorder::Event::Connected:
            return "connect";
        case FrameRecorder::Event::Lost:
            return "loss";
        case FrameRecorder::Event::Silence:
            return "silence";
        case FrameRecorder::Event::CrcError:
            return "crc_error";
        case FrameRecorder::Event::BytesSkipped:
            return "skipped_bytes";
    }
    return "";
}

bool isUtf8(const QByteArray& bytes) {
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

std::string text(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

FrameRecorder::FrameRecorder(int frames) : capacity_(frames < 0 ? 0 : frames) {}

void FrameRecorder::setCapacity(int frames) {
    if (frames < 0)
        return;
    std::vector<Record> old;
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Record> kept = snapshot();
    const std::size_t cut = kept.size() - std::min(kept.size(), static_cast<std::size_t>(frames));
    kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(cut));
    dropped_ += cut;
    old.swap(ring_);
    ring_ = std::move(kept);
    next_ = 0;
    capacity_ = frames;
}

void FrameRecorder::setWordNames(WordNames names) {
    std::lock_guard<std::mutex> lock(mutex_);
    names_ = std::move(names);
}

void FrameRecorder::setAutoDumpDir(const QString& dir, const QString& label) {
    std::lock_guard<std::mutex> lock(mutex_);
    autoDumpDir_ = dir;
    label_ = label;
}

void FrameRecorder::recordFrame(Link link, Direction direction, quint16 word,
                                const QByteArray& payload) {
    Record record;
    record.link = link;
    record.direction = direction;
    record.word = word;
    record.length = payload.size();
    // Shared, not copied, unless it must be cut.
    record.payload = payload.size() > kPayloadLimit ? payload.left(kPayloadLimit) : payload;
    store(std::move(record));
}

void FrameRecorder::recordEvent(Link link, Event event, const QString& detail, qint64 bytes) {
    Record record;
    record.link = link;
    record.event = event;
    record.detail = detail;
    record.length = bytes;
    store(std::move(record));
    if (event == Event::Lost)
        autoDump();
}

void FrameRecorder::store(Record record) {
    record.monotonicNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
    record.wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    std::lock_guard<std::mutex> lock(mutex_);
    if (capacity_ == 0)
        return;
    if (ring_.size() < static_cast<std::size_t>(capacity_)) {
        ring_.push_back(std::move(record));
        return;
    }
    // The replaced record leaves with the parameter, once the lock is released.
    std::swap(ring_[next_], record);
    next_ = (next_ + 1) % ring_.size();
    ++dropped_;
}

// Oldest first; called with the lock held.
std::vector<FrameRecorder::Record> FrameRecorder::snapshot() const {
    std::vector<Record> records;
    records.reserve(ring_.size());
    records.insert(records.end(), ring_.begin() + static_cast<std::ptrdiff_t>(next_), ring_.end());
    records.insert(records.end(), ring_.begin(),
                   ring_.begin() + static_cast<std::ptrdiff_t>(next_));
    return records;
}

bool FrameRecorder::dump(const QString& path) const {
    std::vector<Record> records;
    quint64 first = 0;
    WordNames names;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        records = snapshot();
        first = dropped_;
        names = names_;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (std::size_t i = 0; i < records.size(); ++i)
        file.write(line(records[i], first + i, names));
    return file.commit();
}

void FrameRecorder::autoDump() const {
    QString dir;
    QString label;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dir = autoDumpDir_;
        label = label_;
    }
    if (dir.isEmpty())
        return;
    const QString path = AutoDumpFiles::instance().next(dir, label);
    if (!dump(path))
        qCDebug(lcLink).noquote() << "trace dump failed:" << path;
}

// Payloads go in as their exact bytes: the writer escapes only what JSON requires, and bytes that
// are not UTF-8 go in as base64.
QByteArray FrameRecorder::line(const Record& record, quint64 sequence, const WordNames& names) {
    Json::Value object(Json::objectValue);
    object["seq"] = Json::UInt64(sequence);
    object["mono_ns"] = Json::Int64(record.monotonicNs);
    object["wall"] = QDateTime::fromMSecsSinceEpoch(record.wallMs, Qt::UTC)
                         .toString(Qt::ISODateWithMs)
                         .toStdString();
    object["link"] = linkName(record.link);
    if (record.event != Event::Frame) {
        object["event"] = eventName(record.event);
        if (!record.detail.isEmpty())
            object["detail"] = record.detail.toStdString();
        if (record.length > 0)
            object["bytes"] = Json::Int64(record.length);
        return json::write(object).value_or(QByteArray());
    }
    object["dir"] = record.direction == Direction::In ? "in" : "out";
    object["word"] = QString::asprintf("0x%04X", record.word).toStdString();
    object["name"] = names ? text(names(record.link, record.direction, record.word)) : "";
    object["length"] = Json::Int64(record.length);
    if (record.length > record.payload.size())
        object["truncated"] = true;
    if (isUtf8(record.payload))
        object["payload"] = text(record.payload);
    else
        object["payload_base64"] = text(record.payload.toBase64());
    return json::write(object).value_or(QByteArray());
}

}  // namespace kelvo
