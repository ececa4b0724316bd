// Upload: each listed job file is announced, streamed and confirmed, one after the other.

#include "transfer/tcpupdownfile.h"

#include "link/jsonwire.h"
#include "transfer/jobfiles.h"
#include "transfer/transferlog.h"
#include "transfer/transferwords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTcpSocket>

#include <limits>

namespace word = kelvo::transfer::word;
namespace json = kelvo::json;

namespace {

constexpr qint64 kChunkSize = 2048;
// Chunks are queued on the socket only while it holds less than this, so a large file never sits
// in memory whole; the controller still receives them back to back.
constexpr qint64 kWriteAhead = 256 * 1024;
// The file information carries the size as a 32-bit int.
constexpr qint64 kMaxUploadSize = std::numeric_limits<int>::max();

bool isYes(const Json::Value& body) {
    return json::text(json::member(body, "answer")) == QLatin1String("yes");
}

}  // namespace

bool TcpUpDownFile::isBusy() const {
    return uploadRunning() || waitTimer_.isActive() || download_ != DownloadStep::Idle;
}

bool TcpUpDownFile::uploadRunning() const {
    return connecting_ || upload_ == UploadStep::Announced || upload_ == UploadStep::Streaming;
}

void TcpUpDownFile::setUpLoadJobFileName(QStringList jobfilelist) {
    if (uploadRunning()) {
        qCDebug(lcTransfer).noquote() << QStringLiteral("正在上传文件中ing，不允许上传文件");
        return;
    }
    discardDownload();
    transferMode_ = JobUpload;
    uploadList_ = jobfilelist;
    connectToController();
}

void TcpUpDownFile::beginUpload() {
    if (uploadList_.isEmpty())
        return;
    uploadIndex_ = 0;
    uploadCurrentEntry();
}

void TcpUpDownFile::uploadCurrentEntry() {
    upload_ = UploadStep::Announced;
    currentFile_.reset();
    currentName_ = uploadList_.at(uploadIndex_);
    int robot = 0;
    QString fileName;
    const bool valid = kelvo::transfer::splitUploadEntry(currentName_, &robot, &fileName);
    currentPath_ =
        valid ? QDir(kelvo::transfer::jobDirectory(appDir_, robot)).filePath(fileName) : appDir_;

    auto file = std::make_unique<QFile>(currentPath_);
    if (!valid || QFileInfo(currentPath_).isSymLink() || !file->open(QIODevice::ReadOnly) ||
        file->size() > kMaxUploadSize) {
        abortTransfer(QStringLiteral("无法读取上传程序：") + currentPath_);
        return;
    }
    currentFile_ = std::move(file);
    fileSize_ = currentFile_->size();
    announceFile();
}

void TcpUpDownFile::announceFile() {
    if (transferMode_ != JobUpload || uploadIndex_ >= uploadList_.size())
        return;
    upload_ = UploadStep::Announced;
    waitTimer_.start();
    Json::Value payload(Json::objectValue);
    const QString name = uploadName();
    if (!name.isEmpty())
        payload["name"] = name.toStdString();
    payload["size"] = static_cast<int>(fileSize_);
    sendJson(word::kFileInfo, payload);
    reportedBytes_ = 0;
    emit fileTransfer(Started, uploadName(), 0, fileSize_);
}

// The file going out as the controller names it; empty for an entry that names no job file.
QString TcpUpDownFile::uploadName() const {
    int robot = 0;
    QString fileName;
    if (!kelvo::transfer::splitUploadEntry(currentName_, &robot, &fileName))
        return QString();
    return QStringLiteral("job/R") + QString::number(robot) + QLatin1Char('/') + fileName;
}

void TcpUpDownFile::sendFileChunks() {
    bytesLeft_ = currentFile_->size();
    upload_ = UploadStep::Streaming;
    pumpChunks();
}

// Queues chunks while the socket has room; called again whenever it has written some out.
void TcpUpDownFile::pumpChunks() {
    if (upload_ != UploadStep::Streaming)
        return;
    while (bytesLeft_ > 0 && socket_->bytesToWrite() < kWriteAhead) {
        const QByteArray chunk = currentFile_->read(qMin(bytesLeft_, kChunkSize));
        if (chunk.isEmpty()) {
            bytesLeft_ = 0;  // the file shrank: the controller finds the size short
            break;
        }
        bytesLeft_ -= chunk.size();
        if (!sendFrame(word::kFileChunk, chunk))
            return;  // the connection went; its disconnection ends the upload
    }
    reportProgress(fileSize_ - bytesLeft_, fileSize_);
    if (bytesLeft_ == 0)
        endUpload();
}

// Progress in steps of at least a sixteenth of the file, so a big file does not flood the host.
void TcpUpDownFile::reportProgress(qint64 done, qint64 total) {
    if (done != total && done - reportedBytes_ < total / 16)
        return;
    reportedBytes_ = done;
    emit fileTransfer(Progress, uploadName(), done, total);
}

void TcpUpDownFile::endUpload() {
    upload_ = UploadStep::AwaitingResult;
    currentFile_.reset();
    sendFrame(word::kFileEnd, QByteArray());
}

// The connection went: a file being streamed failed; one being announced fails at the time-out.
void TcpUpDownFile::uploadLost() {
    const UploadStep step = upload_;
    if (step == UploadStep::AwaitingResult)
        upload_ = UploadStep::Idle;
    if (step != UploadStep::Streaming)
        return;
    upload_ = UploadStep::Idle;
    currentFile_.reset();
    qCDebug(lcTransfer).noquote() << QStringLiteral("程序:") + currentPath_ +
                                         QStringLiteral(" 上传失败！");
}

void TcpUpDownFile::onFileInfoAnswer(const QByteArray& payload) {
    const std::optional<Json::Value> body = json::parse(payload);
    if (!body)
        return;
    waitTimer_.stop();
    if (isYes(*body)) {
        if (upload_ == UploadStep::Announced && currentFile_ && currentFile_->isOpen())
            sendFileChunks();
        return;
    }
    if (transferMode_ == JobUpload) {
        abortTransfer(QStringLiteral("控制器拒绝上传程序：") + currentPath_);
    }
}

void TcpUpDownFile::onUploadResult(const QByteArray& payload) {
    // Only a file whose chunks have all gone out has a result.
    if (transferMode_ != JobUpload || upload_ != UploadStep::AwaitingResult)
        return;
    const std::optional<Json::Value> body = json::parse(payload);
    if (!body)
        return;
    upload_ = UploadStep::Idle;
    if (!json::boolOr(json::member(*body, "finish"))) {
        abortTransfer(QStringLiteral("程序:") + currentPath_ + QStringLiteral(" 上传失败！"));
        return;
    }
    waitTimer_.stop();
    currentFile_.reset();
    emit fileTransfer(Finished, uploadName(), fileSize_, fileSize_);
    if (++uploadIndex_ < uploadList_.size()) {
        uploadCurrentEntry();
        return;
    }
    emit reflushprolist();
}
