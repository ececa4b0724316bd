// The transfer connection: connecting, frames in and out, the answer time-out and the abort.

#include "transfer/tcpupdownfile.h"

#include "link/frame.h"
#include "link/jsonwire.h"
#include "robot/robot.h"
#include "transfer/transferlog.h"
#include "transfer/transferwords.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QTcpSocket>

namespace {

constexpr qint64 kReadBufferSize = 4096;
constexpr int kAnswerTimeoutMs = 5000;
constexpr int kConnectWaitMs = 1000;

}  // namespace

using kelvo::transfer::word::kDownloadAbort;
using Link = kelvo::FrameRecorder::Link;
using Direction = kelvo::FrameRecorder::Direction;

TcpUpDownFile::TcpUpDownFile(Robot* robot, quint16 port, const QString& applicationDir,
                             QObject* parent)
    : QObject(parent),
      robot_(robot),
      port_(port),
      appDir_(applicationDir.isEmpty() ? QCoreApplication::applicationDirPath() : applicationDir),
      socket_(new QTcpSocket(this)) {
    socket_->setReadBufferSize(kReadBufferSize);
    connect(socket_, &QTcpSocket::readyRead, this, &TcpUpDownFile::onTcpSocketReadyRead,
            Qt::DirectConnection);
    connect(socket_, &QTcpSocket::bytesWritten, this, &TcpUpDownFile::pumpChunks);
    connect(socket_, &QTcpSocket::disconnected, this, &TcpUpDownFile::onSocketDisconnected);
    connect(socket_, &QTcpSocket::connected, this, &TcpUpDownFile::onConnected);
    connect(socket_, &QAbstractSocket::errorOccurred, this, &TcpUpDownFile::connectFailed);
    connectTimer_.setSingleShot(true);
    connectTimer_.setInterval(kConnectWaitMs);
    connect(&connectTimer_, &QTimer::timeout, this, &TcpUpDownFile::connectFailed);
    waitTimer_.setSingleShot(true);
    waitTimer_.setInterval(kAnswerTimeoutMs);
    connect(&waitTimer_, &QTimer::timeout, this, &TcpUpDownFile::stopDownloadFile);
}

TcpUpDownFile::~TcpUpDownFile() {
    socket_->disconnect(this);
}

void TcpUpDownFile::followJobReports() {
    if (!robot_)
        return;
    connect(robot_, &Robot::robot_job_Sum_list, this, &TcpUpDownFile::recvJobFileSumList,
            Qt::UniqueConnection);
    connect(robot_, &Robot::robot_job_File_list, this, &TcpUpDownFile::recvJobFileList,
            Qt::UniqueConnection);
    connect(robot_, &Robot::robot_job_File_Info_Finish, this, &TcpUpDownFile::recvJobFileInfoFinish,
            Qt::UniqueConnection);
}

// ---- Connection ----

// A connect runs as a step of its own: the procedure goes on in onConnected, or fails in
// connectFailed at the first error or after 1 s.
void TcpUpDownFile::connectToController() {
    if (connecting_ || !robot_)
        return;
    if (socket_->state() == QAbstractSocket::ConnectedState) {
        sendfileinfo();
        return;
    }
    socket_->abort();
    decoder_.clear();
    connecting_ = true;
    connectTimer_.start();
    socket_->connectToHost(robot_->ipAddress(), port_, QIODevice::ReadWrite);
}

void TcpUpDownFile::onConnected() {
    if (!connecting_)
        return;
    connecting_ = false;
    connectTimer_.stop();
    // Small frames go out at once: a stop-and-wait answer held back until the previous one is
    // acknowledged would cost a delayed acknowledgement per file.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    sendfileinfo();
}

void TcpUpDownFile::connectFailed() {
    if (!connecting_)
        return;
    connecting_ = false;
    connectTimer_.stop();
    socket_->abort();
    abortTransfer(QStringLiteral("socket连接失败....."));
}

void TcpUpDownFile::onSocketDisconnected() {
    decoder_.clear();
    discardDownload();
    uploadLost();
}

// ---- Frames ----

bool TcpUpDownFile::sendFrame(quint16 command, const QByteArray& payload) {
    if (socket_->state() != QAbstractSocket::ConnectedState)
        return false;
    const QByteArray frame = kelvo::encodeFrame(command, payload);
    if (recorder_ && !frame.isEmpty())
        recorder_->recordFrame(Link::Transfer, Direction::Out, command, payload);
    if (frame.isEmpty() || socket_->write(frame) != frame.size())
        return false;
    signOfLife();
    return true;
}

bool TcpUpDownFile::sendJson(quint16 command, const Json::Value& payload) {
    const std::optional<QByteArray> text = kelvo::json::write(payload);
    return text && sendFrame(command, *text);
}

// Transfer traffic tells the control link's silence supervision that the controller is alive.
void TcpUpDownFile::signOfLife() {
    if (robot_)
        robot_->updateLastPingTime(QDateTime::currentDateTimeUtc());
}

void TcpUpDownFile::onTcpSocketReadyRead() {
    // Bytes of an incomplete frame stay in the decoder until the rest arrives.
    decoder_.append(socket_->readAll());
    kelvo::Frame frame;
    while (socket_->state() == QAbstractSocket::ConnectedState && decoder_.next(&frame)) {
        signOfLife();
        if (recorder_)
            recorder_->recordFrame(Link::Transfer, Direction::In, frame.command, frame.payload);
        dispatch(frame.command, frame.payload);
    }
}

void TcpUpDownFile::dispatch(quint16 command, const QByteArray& payload) {
    namespace word = kelvo::transfer::word;
    using Handler = void (TcpUpDownFile::*)(const QByteArray&);
    static const struct {
        quint16 command;
        Handler handler;
    } kRoutes[] = {
        {word::kFileInfoAnswer, &TcpUpDownFile::onFileInfoAnswer},
        {word::kUploadResult, &TcpUpDownFile::onUploadResult},
        {word::kDownloadAnswer, &TcpUpDownFile::onDownloadAnswer},
        {word::kDownloadChunk, &TcpUpDownFile::onDownloadChunk},
        {word::kDownloadEnd, &TcpUpDownFile::onDownloadEnd},
    };
    for (const auto& route : kRoutes) {
        if (route.command == command) {
            (this->*route.handler)(payload);
            return;
        }
    }
}

// ---- Time-out and abort ----

void TcpUpDownFile::stopDownloadFile() {
    abortTransfer(QStringLiteral("等待超时......"));
}

void TcpUpDownFile::abortTransfer(const QString& message) {
    waitTimer_.stop();
    qCDebug(lcTransfer).noquote() << message;
    emit fileTransfer(Failed, transferMode_ == JobDownload ? downloadName() : uploadName(), 0, 0);
    if (transferMode_ == JobDownload)
        sendFrame(kDownloadAbort, QByteArray());
    upload_ = UploadStep::Idle;
    discardDownload();
    socket_->disconnectFromHost();
}

void TcpUpDownFile::sendfileinfo() {
    if (transferMode_ == JobUpload) {
        beginUpload();
    } else if (transferMode_ == JobDownload) {
        beginDownloads();
    }
}
