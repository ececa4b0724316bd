// Synchronisation: the controller's job lists against the local job directories, then the
// downloads one file at a time, then the upload of local files the controller lacks.

#include "transfer/tcpupdownfile.h"

#include "link/jsonwire.h"
#include "message/commandwords.h"
#include "robot/robot.h"
#include "transfer/jobcaches.h"
#include "transfer/jobfiles.h"
#include "transfer/transferlog.h"
#include "transfer/transferwords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace word = kelvo::transfer::word;
namespace json = kelvo::json;
using kelvo::transfer::kFirstRobot;
using kelvo::transfer::kLastRobot;

namespace {

// The local files a synchronisation may upload.
const QStringList kJobFilePatterns = {QStringLiteral("*.JBC*"), QStringLiteral("*.JBPG"),
                                      QStringLiteral("*.JBP"), QStringLiteral("*.JBR")};
const QLatin1String kNeverUploadedSuffix(".GP");

bool isRobotNumber(int robot) {
    return robot >= kFirstRobot && robot <= kLastRobot;
}

Json::Value finishPayload(bool finish) {
    Json::Value payload(Json::objectValue);
    payload["finish"] = finish;
    return payload;
}

// Bytes 0-1 of a download chunk: its number, big-endian; a shorter payload reads as 0.
quint16 chunkNumber(const QByteArray& payload) {
    const auto byte = [&payload](int i) {
        return i < payload.size() ? static_cast<quint8>(payload.at(i)) : quint8(0);
    };
    return static_cast<quint16>((byte(0) << 8) | byte(1));
}

}  // namespace

QString TcpUpDownFile::syncRoot() const {
    return kelvo::transfer::jobCacheRoot(appDir_,
                                         robot_ ? robot_->controllerIdentifier() : QString());
}

QString TcpUpDownFile::localPathFor(const Download& download) const {
    return QDir(kelvo::transfer::jobDirectory(syncRoot(), download.robot))
        .filePath(download.fileName);
}

// ---- The job lists ----

void TcpUpDownFile::startDownLoadJobFileFromController() {
    // Not while an upload runs: it shares the connection and the answer timer.
    if (!robot_ || uploadRunning())
        return;
    const QString id = robot_->controllerIdentifier();
    kelvo::transfer::prepareJobCache(appDir_, id);
    kelvo::transfer::removeForeignJobCaches(appDir_, id);
    emit reflushprolist();
    discardDownload();
    transferMode_ = JobDownload;
    jobAbsolutePath_.fill(QString());
    jobFileCount_.fill(0);
    downloadList_.clear();
    uploadsAfterSync_.clear();
    robot_->sendCommand(kelvo::cmd::kQueryJobLists, QByteArray());
    waitTimer_.start();
}

void TcpUpDownFile::recvJobFileSumList(QByteArray data) {
    if (transferMode_ != JobDownload)
        return;
    const std::optional<Json::Value> body = json::parse(data);
    if (!body)
        return;
    waitTimer_.stop();
    downloadList_.clear();
    for (QStringList& names : controllerJobNames_)
        names.clear();
    const Json::Value& paths = json::member(*body, "absolutepath");
    const Json::Value& counts = json::member(*body, "jobfilenum");
    for (Json::ArrayIndex i = 0; i < jobAbsolutePath_.size(); ++i) {
        if (json::has(*body, "absolutepath"))
            jobAbsolutePath_[i] = json::text(json::element(paths, i));
        if (json::has(*body, "jobfilenum"))
            jobFileCount_[i] = json::intOr(json::element(counts, i));
    }
}

void TcpUpDownFile::recvJobFileList(QByteArray data) {
    if (transferMode_ != JobDownload)
        return;
    const std::optional<Json::Value> body = json::parse(data);
    if (!body)
        return;
    const int robot = json::intOr(json::member(*body, "robot"));
    if (!isRobotNumber(robot))
        return;
    jobFileCount_[robot - 1] -= json::intOr(json::member(*body, "listnum"));
    const Json::Value& list = json::member(*body, "jobfilelist");
    for (Json::ArrayIndex i = 0; list.isArray() && i < list.size(); ++i)
        compareJobFile(robot, json::element(list, i));
}

// One file of the controller's list against the local copy: missing or different, it is
// downloaded (a different local copy is deleted first).
void TcpUpDownFile::compareJobFile(int robot, const Json::Value& entry) {
    const QString name = json::text(json::member(entry, "name"));
    if (!kelvo::transfer::isPlainFileName(name)) {
        if (skippedNameLog_.admit(lcTransfer()))
            qCDebug(lcTransfer) << "job list: skipped a file name that is not a plain name:"
                                << name;
        return;
    }
    controllerJobNames_[robot - 1] << name;
    const Download download{robot, name, jobAbsolutePath_[robot - 1] + name};
    const QString localPath = localPathFor(download);
    const std::optional<QString> md5 = kelvo::transfer::fileMd5(localPath);
    if (md5 && *md5 == json::text(json::member(entry, "MD5")))
        return;
    if (md5)
        QFile::remove(localPath);
    if (!jobAbsolutePath_[robot - 1].isEmpty())
        downloadList_ << download;
}

void TcpUpDownFile::recvJobFileInfoFinish() {
    if (transferMode_ != JobDownload)
        return;
    for (qint64 count : jobFileCount_) {
        if (count != 0) {
            abortTransfer(QStringLiteral("程序发送数目不正确"));
            return;
        }
    }
    localJobScan();
    if (uploadsAfterSync_.isEmpty())
        announceSyncedRobots();
    emit reflushprolist();
    if (!downloadList_.isEmpty() || !uploadsAfterSync_.isEmpty())
        connectToController();
}

// Deletes empty local job files and lists those the controller lacks.
void TcpUpDownFile::localJobScan() {
    uploadsAfterSync_.clear();
    for (int robot = kFirstRobot; robot <= kLastRobot; ++robot) {
        const QString directory = kelvo::transfer::jobDirectory(syncRoot(), robot);
        for (const QFileInfo& file :
             kelvo::transfer::jobFilesNewestFirst(directory, kJobFilePatterns)) {
            if (file.size() == 0) {
                QFile::remove(file.filePath());
            } else if (!jobAbsolutePath_[robot - 1].isEmpty() &&
                       !controllerJobNames_[robot - 1].contains(file.fileName())) {
                uploadsAfterSync_ << kelvo::transfer::uploadEntry(robot, file.fileName());
            }
        }
    }
    uploadsAfterSync_.erase(
        std::remove_if(uploadsAfterSync_.begin(), uploadsAfterSync_.end(),
                       [](const QString& entry) { return entry.endsWith(kNeverUploadedSuffix); }),
        uploadsAfterSync_.end());
}

// Tells the controller which robots' jobs need no upload: every robot while none is selected for
// teaching, else the current one.
void TcpUpDownFile::announceSyncedRobots() {
    if (!robot_)
        return;
    const auto announce = [this](int robot) {
        Json::Value payload(Json::objectValue);
        payload["robot"] = robot;
        robot_->sendCommand(kelvo::cmd::kAnnounceSyncedRobot, payload);
    };
    if (robot_->teachRobotNumber() != 0) {
        announce(robot_->currentRobotNumber());
        return;
    }
    const int robots = qBound(0, robot_->robotCount(), kLastRobot);
    for (int robot = kFirstRobot; robot <= robots; ++robot)
        announce(robot);
}

void TcpUpDownFile::recvControlLogList(QByteArray data) {
    const std::optional<Json::Value> body = json::parse(data);
    if (!body)
        return;
    const QString directory = json::text(json::member(*body, "absolutepath"));
    const Json::Value& names = json::member(*body, "logfilelist");
    controlLogFiles_.clear();
    for (Json::ArrayIndex i = 0; names.isArray() && i < names.size(); ++i)
        controlLogFiles_ << directory + json::text(json::element(names, i));
}

// ---- Downloads ----

void TcpUpDownFile::beginDownloads() {
    downloadIndex_ = 0;
    discardDownload();
    if (!downloadList_.isEmpty()) {
        requestNextFile();
    } else if (!uploadsAfterSync_.isEmpty()) {
        startUploadAfterSync();
    } else {
        emit reflushprolist();
    }
}

void TcpUpDownFile::requestNextFile() {
    if (transferMode_ != JobDownload || downloadIndex_ >= downloadList_.size())
        return;
    waitTimer_.start();
    Json::Value payload(Json::objectValue);
    payload["name"] = downloadList_.at(downloadIndex_).controllerName.toStdString();
    sendJson(word::kDownloadRequest, payload);
}

// After a file: the next one, else the upload of the files the controller lacks, else the end.
void TcpUpDownFile::nextDownload(bool fileCompleted) {
    if (downloadIndex_ < downloadList_.size()) {
        requestNextFile();
        return;
    }
    if (!uploadsAfterSync_.isEmpty()) {
        startUploadAfterSync();
        return;
    }
    emit reflushprolist();
    socket_->disconnectFromHost();
    if (fileCompleted)
        announceSyncedRobots();
}

void TcpUpDownFile::startUploadAfterSync() {
    setUpLoadJobFileName(std::exchange(uploadsAfterSync_, QStringList()));
}

void TcpUpDownFile::onDownloadAnswer(const QByteArray& payload) {
    if (transferMode_ != JobDownload || download_ != DownloadStep::Idle ||
        downloadIndex_ >= downloadList_.size())
        return;
    const std::optional<Json::Value> body = json::parse(payload);
    if (!body)
        return;
    waitTimer_.stop();
    if (json::text(json::member(*body, "answer")) != QLatin1String("yes")) {
        abortTransfer(QStringLiteral("控制器拒绝下载程序"));
        return;
    }
    const QString name = json::text(json::member(*body, "name"));
    const QString& expected = downloadList_.at(downloadIndex_).controllerName;
    if (name != expected) {
        abortTransfer(QStringLiteral("程序下载失败：") + name + QStringLiteral(" --") + expected);
        return;
    }
    downloadSize_ = json::intOr(json::member(*body, "size"));
    if (downloadSize_ <= 0) {
        // Nothing to write: no local file is made for an empty controller file.
        ++downloadIndex_;
        nextDownload(false);
        return;
    }
    download_ = DownloadStep::Accepted;
    downloadedBytes_ = 0;
    expectedChunkNo_ = 1;
    emit fileTransfer(Started, downloadName(), 0, downloadSize_);
    sendFrame(word::kChunkReady, QByteArray());
}

void TcpUpDownFile::onDownloadChunk(const QByteArray& payload) {
    if (transferMode_ != JobDownload || download_ == DownloadStep::Idle)
        return;
    if (download_ == DownloadStep::Accepted)
        openDownloadFile();
    if (chunkNumber(payload) != expectedChunkNo_)
        return;
    const QByteArray data = payload.mid(2);
    downloadedBytes_ += data.size();
    // Bytes past the announced size are never written; a file that cannot be written whole is
    // never renamed into place.
    if (downloadFile_ && (downloadedBytes_ > downloadSize_ || downloadFile_->write(data) < 0))
        downloadFile_->cancelWriting();
    sendFrame(word::kChunkReady, QByteArray());
    ++expectedChunkNo_;
}

void TcpUpDownFile::onDownloadEnd(const QByteArray&) {
    if (transferMode_ != JobDownload || download_ == DownloadStep::Idle)
        return;
    download_ = DownloadStep::Idle;
    if (!downloadFile_) {
        ++downloadIndex_;
        nextDownload(false);
        return;
    }
    if (downloadedBytes_ == downloadSize_ && downloadFile_->commit()) {
        downloadFile_.reset();
        emit fileTransfer(Finished, downloadName(), downloadedBytes_, downloadSize_);
        sendJson(word::kDownloadResult, finishPayload(true));
        waitTimer_.stop();
        ++downloadIndex_;
        nextDownload(true);
        return;
    }
    discardDownload();
    sendJson(word::kDownloadResult, finishPayload(false));
    emit reflushprolist();
}

QString TcpUpDownFile::downloadName() const {
    return downloadIndex_ < downloadList_.size() ? downloadList_.at(downloadIndex_).controllerName
                                                 : QString();
}

// At the first chunk: a temporary file beside the target, renamed over it once complete. A
// symbolic link in the target's place is replaced, never written through.
void TcpUpDownFile::openDownloadFile() {
    download_ = DownloadStep::Writing;
    const QString path = localPathFor(downloadList_.at(downloadIndex_));
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) {
        qCDebug(lcTransfer) << "download: cannot write" << path << file->errorString();
        return;
    }
    downloadFile_ = std::move(file);
}

// Drops the file being downloaded; its temporary file goes with it.
void TcpUpDownFile::discardDownload() {
    download_ = DownloadStep::Idle;
    downloadFile_.reset();
}
