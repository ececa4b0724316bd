#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <random>

namespace kelvo::sim {

// What a broken controller or network puts on the wire: malformed payloads, command words of any
// kind, bytes with false frame headers, hostile file names and sizes. Draws from the generator it
// is given, so a seed repeats a run.
class HostileData {
public:
    explicit HostileData(std::mt19937_64& random) : random_(random) {}

    // A command word: mostly the reports and answers a controller sends, also any other word.
    quint16 word();
    // A payload for any report: empty, random bytes, wrong or missing fields, wrong types, huge
    // numbers, deep nesting, truncated or oversized JSON.
    QByteArray payload();
    // A burst of random bytes with false frame headers among them.
    QByteArray garbage();
    // A file name that is no plain job file name: climbing out, absolute, over-long, empty, with
    // control characters. Names that climb out carry kEscapeMarker.
    QString fileName();
    // A size that is no size of the file: negative, huge, fractional, text.
    QByteArray size();
    // Any JSON value as text.
    QByteArray value(int depth = 0);

    static constexpr const char* kEscapeMarker = "kelvo-chaos-escape";

private:
    int below(int bound);
    bool chance(int percent) { return below(100) < percent; }
    QByteArray object(int depth = 0);
    QByteArray number();
    QByteArray text();
    QByteArray bytes(int size);

    std::mt19937_64& random_;
};

}  // namespace kelvo::sim
