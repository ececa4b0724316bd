#pragma once

#include <QByteArray>

#include <optional>

namespace kelvo::sim {

// Payload bytes as one line of text and back: printable ASCII stays, '\' becomes "\\", line
// feed, carriage return and tab become "\n", "\r" and "\t", every other byte "\xNN".
QByteArray escapeLine(const QByteArray& bytes);
// Empty when text holds an escape that escapeLine would not write.
std::optional<QByteArray> unescapeLine(const QByteArray& text);

}  // namespace kelvo::sim
