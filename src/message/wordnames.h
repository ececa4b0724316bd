#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kelvo {

// The name of a control connection word as a trace shows it: a received word by the signal of its
// catalogue entry, a sent one by its constant in commandwords.h; empty when it has none.
QByteArray controlWordName(quint16 word, bool received);

}  // namespace kelvo
