#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>

namespace kelvo {

// Frame: 0x4E 0x66, payload length (u16 BE), command word (u16 BE), payload, CRC-32 (u32 BE)
// over length, command word and payload.
inline constexpr char kFrameMagic1 = 0x4E;
inline constexpr char kFrameMagic2 = 0x66;
inline constexpr int kFrameOverhead = 10;
inline constexpr int kMaxPayloadSize = 0xFFFF;

// IEEE 802.3 CRC-32; 0 for an empty range.
quint32 crc32(const char* data, std::size_t size);
quint32 crc32(const QByteArray& bytes);

// The frame for a command word and payload. A payload that does not fit the 16-bit length field
// yields an empty array and one log line: a truncated length would put a corrupt frame on the wire.
QByteArray encodeFrame(quint16 command, const QByteArray& payload);

}  // namespace kelvo
