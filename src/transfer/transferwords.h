#pragma once

#include <QtGlobal>

// Command words of the transfer connection (port 5000).
namespace kelvo::transfer::word {

// PC to controller
inline constexpr quint16 kFileInfo = 0x5501;         // {"name","size"} of the next upload
inline constexpr quint16 kFileChunk = 0x5511;        // raw bytes, at most 2048
inline constexpr quint16 kFileEnd = 0x5512;          // end of the uploaded file
inline constexpr quint16 kDownloadRequest = 0x5504;  // {"name"}: controller-side full name
inline constexpr quint16 kChunkReady = 0x5524;       // ready for the next download chunk
inline constexpr quint16 kDownloadResult = 0x5523;   // {"finish"}
inline constexpr quint16 kDownloadAbort = 0x5525;

// Controller to PC
inline constexpr quint16 kFileInfoAnswer = 0x5502;  // {"answer"}
inline constexpr quint16 kUploadResult = 0x5513;    // {"finish"}
inline constexpr quint16 kDownloadAnswer = 0x5505;  // {"answer","name","size"}
inline constexpr quint16 kDownloadChunk = 0x5521;   // u16 chunk number, then file bytes
inline constexpr quint16 kDownloadEnd = 0x5522;

}  // namespace kelvo::transfer::word
