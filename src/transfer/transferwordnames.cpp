#include "transfer/transferwordnames.h"

#include "transfer/transferwords.h"

namespace kelvo::transfer {

QByteArray wordName(quint16 command) {
    static const struct {
        quint16 word;
        const char* name;
    } kNames[] = {
        {word::kFileInfo, "FileInfo"},
        {word::kFileChunk, "FileChunk"},
        {word::kFileEnd, "FileEnd"},
        {word::kDownloadRequest, "DownloadRequest"},
        {word::kChunkReady, "ChunkReady"},
        {word::kDownloadResult, "DownloadResult"},
        {word::kDownloadAbort, "DownloadAbort"},
        {word::kFileInfoAnswer, "FileInfoAnswer"},
        {word::kUploadResult, "UploadResult"},
        {word::kDownloadAnswer, "DownloadAnswer"},
        {word::kDownloadChunk, "DownloadChunk"},
        {word::kDownloadEnd, "DownloadEnd"},
    };
    for (const auto& entry : kNames) {
        if (entry.word == command)
            return QByteArray(entry.name);
    }
    return QByteArray();
}

}  // namespace kelvo::transfer
