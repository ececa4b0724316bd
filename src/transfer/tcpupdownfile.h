#pragma once

#include "link/framedecoder.h"
#include "link/framerecorder.h"
#include "link/logthrottle.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <json/value.h>

#include <array>
#include <memory>

class QFile;
class QSaveFile;
class QTcpSocket;
class Robot;

// Job program files between the PC's job directories and the controller, over a second TCP
// connection to port 5000 of the controller's address. One object per session, beside its
// Robot; it belongs to the Robot's thread and all its work runs there, inside that thread's event
// loop.
//
// Two procedures share the connection:
// - upload (setUpLoadJobFileName, behind upload_job): each listed file is announced, streamed in
//   2048-byte chunks and confirmed by the controller, one after the other;
// - synchronisation (startDownLoadJobFileFromController, then the job summary, job list and
//   end-of-lists reports of the control connection): files missing or different on the PC are
//   downloaded, chunk by chunk, empty local files deleted, and local files the controller lacks
//   uploaded.
//
// File safety: a name from the controller is joined to a local path only when it is a plain file
// name; downloads go to a temporary file in the target directory and are renamed only when
// complete; symbolic links in the job directories are never followed; only job caches this
// library created (and marked) are ever removed.
class TcpUpDownFile : public QObject {
    Q_OBJECT

public:
    // Which procedure the object is in; handlers act only in their own, none in Idle.
    enum TransferMode { Idle = 0, JobDownload = 3, JobUpload = 4 };
    static constexpr quint16 kTransferPort = 5000;

    // The transfer connection of robot's controller. port and applicationDir are for simulated
    // controllers and tests; an empty applicationDir means the host program's directory.
    explicit TcpUpDownFile(Robot* robot, quint16 port = kTransferPort,
                           const QString& applicationDir = QString(), QObject* parent = nullptr);
    ~TcpUpDownFile() override;

    // Connects the Robot's job summary, job list and end-of-lists notifications to the
    // synchronisation slots; repeated calls add nothing.
    void followJobReports();

    // Records the frames of the transfer connection too.
    void setFrameRecorder(std::shared_ptr<kelvo::FrameRecorder> recorder) {
        recorder_ = std::move(recorder);
    }

    // Connecting, announcing or streaming a file, or waiting for an answer of the controller. Read
    // it in the object's own thread, and start a procedure there in the same step.
    bool isBusy() const;
    QString applicationDirectory() const { return appDir_; }
    // The controller's log files of its last log list, each prefixed by its log directory.
    QStringList controlLogFiles() const { return controlLogFiles_; }

    // The stages of a file's transfer, as TransferStage codes.
    enum TransferStage { Started = 0, Progress = 1, Finished = 2, Failed = 3 };

signals:
    // The job files on either side may have changed.
    void reflushprolist();
    // A file of an upload or a synchronisation started, moved on, finished or failed.
    void fileTransfer(int stage, const QString& name, qint64 done, qint64 total);

public slots:
    // Runs the next step of the current procedure once the connection is up.
    void sendfileinfo();
    void onTcpSocketReadyRead();
    // The answer did not come in time.
    void stopDownloadFile();

    // ---- Synchronisation (tcpupdownfilesync.cpp) ----
    void startDownLoadJobFileFromController();
    void recvJobFileSumList(QByteArray data);
    void recvJobFileList(QByteArray data);
    void recvJobFileInfoFinish();
    // Stores the controller's log list; no procedure acts on it.
    void recvControlLogList(QByteArray data);

    // ---- Upload (tcpupdownfileupload.cpp) ----
    // Uploads the entries ("R1" to "R4" + file name); refused while an upload runs.
    void setUpLoadJobFileName(QStringList jobfilelist);

private:
    struct Download {
        int robot = 0;
        QString fileName;        // plain name inside the robot's job directory
        QString controllerName;  // the controller's directory of the robot + fileName
    };

    // ---- Connection and frames ----
    void connectToController();
    void onConnected();
    void connectFailed();
    bool sendFrame(quint16 command, const QByteArray& payload);
    bool sendJson(quint16 command, const Json::Value& payload);
    void abortTransfer(const QString& message);
    void signOfLife();
    void dispatch(quint16 command, const QByteArray& payload);
    void onSocketDisconnected();

    // ---- Upload ----
    bool uploadRunning() const;
    void beginUpload();
    // Opens the entry at uploadIndex_ and announces it; on failure aborts the upload.
    void uploadCurrentEntry();
    void announceFile();
    void sendFileChunks();
    void pumpChunks();
    void endUpload();
    void onFileInfoAnswer(const QByteArray& payload);
    void onUploadResult(const QByteArray& payload);
    void uploadLost();

    // ---- Synchronisation and download ----
    QString syncRoot() const;
    QString localPathFor(const Download& download) const;
    void compareJobFile(int robot, const Json::Value& entry);
    void localJobScan();
    void announceSyncedRobots();
    void beginDownloads();
    void requestNextFile();
    void nextDownload(bool fileCompleted);
    void startUploadAfterSync();
    void onDownloadAnswer(const QByteArray& payload);
    void onDownloadChunk(const QByteArray& payload);
    void onDownloadEnd(const QByteArray& payload);
    void openDownloadFile();
    void discardDownload();
    // The controller's name of the file being downloaded; empty when none is.
    QString downloadName() const;
    QString uploadName() const;
    void reportProgress(qint64 done, qint64 total);

    QPointer<Robot> robot_;
    const quint16 port_;
    const QString appDir_;
    QTcpSocket* socket_;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
    std::shared_ptr<kelvo::FrameRecorder> recorder_;
    kelvo::LogThrottle skippedNameLog_{QStringLiteral("job list: skipped a file name")};
    QTimer waitTimer_;
    QTimer connectTimer_;
    TransferMode transferMode_ = Idle;
    // The transfer connection is being set up; the current procedure waits for it.
    bool connecting_ = false;

    // Upload: the file at uploadIndex_ is announced, then streamed, then awaits its result.
    enum class UploadStep { Idle, Announced, Streaming, AwaitingResult };
    UploadStep upload_ = UploadStep::Idle;
    QStringList uploadList_;
    int uploadIndex_ = 0;
    QString currentName_;
    QString currentPath_;
    std::unique_ptr<QFile> currentFile_;
    qint64 fileSize_ = 0;
    qint64 bytesLeft_ = 0;
    qint64 reportedBytes_ = 0;  // of the file going out, at its last progress

    // Synchronisation
    std::array<QString, 4> jobAbsolutePath_;
    std::array<qint64, 4> jobFileCount_{};
    std::array<QStringList, 4> controllerJobNames_;
    QVector<Download> downloadList_;
    int downloadIndex_ = 0;
    // Local files the controller lacks, uploaded once the downloads are done.
    QStringList uploadsAfterSync_;
    QStringList controlLogFiles_;

    // The file being downloaded: accepted by the controller, then written from its first chunk on
    // (downloadFile_ stays empty when the local file cannot be opened).
    enum class DownloadStep { Idle, Accepted, Writing };
    DownloadStep download_ = DownloadStep::Idle;
    std::unique_ptr<QSaveFile> downloadFile_;
    qint64 downloadSize_ = 0;
    qint64 downloadedBytes_ = 0;
    quint16 expectedChunkNo_ = 0;
};
