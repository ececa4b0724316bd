#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kelvo::transfer {

// The name of a transfer connection word as a trace shows it, from transferwords.h; empty when it
// has none.
QByteArray wordName(quint16 word);

}  // namespace kelvo::transfer
