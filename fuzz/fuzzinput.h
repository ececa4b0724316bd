#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace kelvo::fuzz {

// One message of a fuzz input: a selector (a command word, or what the target maps it to) and
// its payload.
struct Record {
    quint16 word = 0;
    QByteArray payload;
};

// Cuts an input into records: word (2 bytes, big-endian), payload length (2 bytes, big-endian),
// payload (cut short at the end of the input). Trailing bytes too short for a head are ignored.
class RecordReader {
public:
    RecordReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool next(Record* record) {
        if (size_ - at_ < 4)
            return false;
        record->word = static_cast<quint16>((data_[at_] << 8) | data_[at_ + 1]);
        const size_t length = static_cast<size_t>((data_[at_ + 2] << 8) | data_[at_ + 3]);
        at_ += 4;
        const size_t taken = length < size_ - at_ ? length : size_ - at_;
        record->payload =
            QByteArray(reinterpret_cast<const char*>(data_ + at_), static_cast<int>(taken));
        at_ += taken;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The application object the library's Qt classes need, made once per process; the library's
// log lines would only slow the runs down.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "kelvo-fuzz";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    new QCoreApplication(argc, argv);
}

// A broken property: libFuzzer and the replay driver both report the abort with its input.
inline void check(bool holds) {
    if (!holds)
        std::abort();
}

}  // namespace kelvo::fuzz
