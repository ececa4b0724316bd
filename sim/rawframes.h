#pragma once

#include <QByteArray>
#include <QtGlobal>

// Damaged byte streams for fault injection with SimHarness::sendRaw.
namespace kelvo::sim::raw {

// Bytes that never contain the first magic byte, so each one is exactly one skipped byte.
QByteArray garbage(int size);
// A frame whose CRC does not match.
QByteArray withBadCrc(quint16 command, const QByteArray& payload);
// A frame whose length field says length instead of the payload's size (CRC as first sent).
QByteArray withLength(quint16 command, const QByteArray& payload, quint16 length);

}  // namespace kelvo::sim::raw
