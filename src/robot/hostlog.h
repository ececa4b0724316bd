#pragma once

#include <QByteArray>

namespace kelvo {

// One line of the debug log holding utf8 decoded and quoted, so a text with line breaks or
// control characters still makes exactly one line.
void writeHostLog(const QByteArray& utf8);

}  // namespace kelvo
