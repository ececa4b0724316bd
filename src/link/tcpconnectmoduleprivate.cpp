#include "link/tcpconnectmoduleprivate.h"

#include "link/frame.h"
#include "link/jsonwire.h"
#include "link/linklog.h"

#include <QPointer>
#include <QTimer>

namespace kelvo {

namespace {

constexpr int kConnectWaitMs = 5000;
constexpr qint64 kSilenceLimitSecs = 6;

// Refused, host not found, closed by the peer and unknown are everyday losses, not worth a line.
bool isExpectedLoss(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::UnknownSocketError:
        case QAbstractSocket::ConnectionRefusedError:
        case QAbstractSocket::RemoteHostClosedError:
        case QAbstractSocket::HostNotFoundError:
            return true;
        default:
            return false;
    }
}

QByteArray heartBeatPayload() {
    Json::Value body(Json::objectValue);
    body["time"] = Json::UInt64(QDateTime::currentSecsSinceEpoch());
    return json::write(body).value_or(QByteArray());
}

}  // namespace

TcpConnectModulePrivate::TcpConnectModulePrivate(const QString& ip, const quint16& port,
                                                 const int& timeBase)
    : ip_(ip), port_(port), timeBase_(timeBase), lastPingTime_(QDateTime::currentDateTimeUtc()) {
    linkTasks_.moveToThread(this);
    fenceClock_.start();
}

TcpConnectModulePrivate::~TcpConnectModulePrivate() {
    stopThread();
}

void TcpConnectModulePrivate::stopThread() {
    closing_ = true;
    quit();  // ends the thread's event loop once the current tick is over
    wait();
    // wait() orders the end of the thread before this point, but ThreadSanitizer cannot see that
    // through Qt; the mutex that run() held last can.
    std::lock_guard<std::recursive_mutex> lock(socketMutex_);
}

void TcpConnectModulePrivate::startNetThread() {
    if (isRunning()) {
        return;
    }
    start(QThread::InheritPriority);
    startSemaphore_.acquire();
}

void TcpConnectModulePrivate::setRecorder(std::shared_ptr<FrameRecorder> recorder) {
    recorder_ = std::move(recorder);
    if (!recorder_) {
        recvBuffer_.setFaultSink(nullptr);
        return;
    }
    recvBuffer_.setFaultSink([this](FrameDecoder::Fault fault, qint64 bytes) {
        record(fault == FrameDecoder::Fault::CrcError ? FrameRecorder::Event::CrcError
                                                      : FrameRecorder::Event::BytesSkipped,
               QString(), bytes);
    });
}

void TcpConnectModulePrivate::record(FrameRecorder::Event event, const QString& detail,
                                     qint64 bytes) {
    if (recorder_) {
        recorder_->recordEvent(FrameRecorder::Link::Control, event, detail, bytes);
    }
}

bool TcpConnectModulePrivate::sendFrame(quint16 command, const QByteArray& payload) {
    QByteArray frame = encodeFrame(command, payload);
    if (frame.isEmpty() || state_ != State::Connected) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> lock(socketMutex_);
    if (!tcpSocket_) {
        return false;
    }
    // Recorded before it leaves, so that its answer cannot come first, and under the socket lock,
    // so that frames of several threads are recorded in the order they go out.
    if (recorder_) {
        recorder_->recordFrame(FrameRecorder::Link::Control, FrameRecorder::Direction::Out, command,
                               payload);
    }
    countWrittenHeartbeat(command, payload);
    appendFence(frame);
    return tcpSocket_->send(frame);
}

// An invalid or future time would switch the silence check off (secsTo gives 0 or less), so the
// first is ignored and the second taken as now.
void TcpConnectModulePrivate::setLastPingTime(const QDateTime& time) {
    if (!time.isValid()) {
        return;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::lock_guard<std::recursive_mutex> lock(pingMutex_);
    lastPingTime_ = time < now ? time : now;
}

// The state is set in the connection thread before the close, so the close is not taken for a
// loss, and no check tick can slip in between and turn the final state back into an attempt.
void TcpConnectModulePrivate::changeIp(const QString& ip) {
    runInLinkThread([this, &ip] {
        ip_ = ip;
        enter(State::Pending);
        emit closeCurrentSocket();
    });
}

void TcpConnectModulePrivate::stopConnect() {
    qCDebug(lcLink) << "手动停止";
    runInLinkThread([this] {
        enter(State::Idle);
        emit closeCurrentSocket();
    });
}

void TcpConnectModulePrivate::startConnect() {
    qCDebug(lcLink) << "手动开始";
    enter(State::Pending);
    if (isRunning()) {
        linkTasks_.post([this] { onTcpSocketCheck(); });
    }
}

// Runs the task in the connection thread and waits for it. The connection thread never waits for
// the caller nor for the network, so this returns as soon as the thread's current event is done.
void TcpConnectModulePrivate::runInLinkThread(const std::function<void()>& task) {
    if (isRunning()) {
        linkTasks_.runAndWait(task);
    } else {
        task();
    }
}

// The loop and both timers live and die in the connection thread.
void TcpConnectModulePrivate::run() {
    QTimer checkTimer;
    QTimer heartBeatTimer;
    connect(&checkTimer, &QTimer::timeout, this, &TcpConnectModulePrivate::onTcpSocketCheck,
            Qt::DirectConnection);
    checkTimer.setInterval(timeBase_ / 180);
    connect(&heartBeatTimer, &QTimer::timeout, this, &TcpConnectModulePrivate::onCheckHeartBeat,
            Qt::DirectConnection);
    heartBeatTimer.setInterval(timeBase_ / 150);
    checkTimer.start();
    heartBeatTimer.start();
    connect(this, &TcpConnectModulePrivate::closeCurrentSocket, this,
            &TcpConnectModulePrivate::closeCurrentSocketInNowThread, Qt::DirectConnection);

    enter(State::Pending);
    startSemaphore_.release();
    exec();

    disconnect(this, &TcpConnectModulePrivate::closeCurrentSocket, this,
               &TcpConnectModulePrivate::closeCurrentSocketInNowThread);
    // Last in this thread, under the mutex the destructor takes after wait().
    std::lock_guard<std::recursive_mutex> lock(socketMutex_);
    if (tcpSocket_) {
        tcpSocket_->disconnect(this);
    }
    tcpSocket_.reset();
}

void TcpConnectModulePrivate::onTcpSocketCheck() {
    if (closing_) {
        return;
    }
    if (state_ == State::Pending) {
        rebuildLink();
    } else if (state_ == State::Connected) {
        sendHeartBeat();
    }
}

// The socket mutex covers only the swap of the socket: senders of other threads are never held
// up by the connection wait, and while not Connected they do not touch the socket anyway.
void TcpConnectModulePrivate::rebuildLink() {
    qCDebug(lcLink) << "重置网络连接";
    enter(State::Attempting);
    touchLastPingTime();

    // Deleted later: a receiver that spins the event loop inside one of the socket's own signals
    // must not have the socket deleted under it.
    QSharedPointer<TcpSocket> socket(new TcpSocket, &QObject::deleteLater);
    connect(socket.data(), &QAbstractSocket::stateChanged, this,
            &TcpConnectModulePrivate::onTcpSocketStateChanged, Qt::DirectConnection);
    connect(socket.data(), &QIODevice::readyRead, this,
            &TcpConnectModulePrivate::onTcpSocketReadyRead, Qt::DirectConnection);
    connect(socket.data(), &QAbstractSocket::errorOccurred, this,
            &TcpConnectModulePrivate::TcpSocketError, Qt::DirectConnection);
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        if (tcpSocket_) {
            tcpSocket_->disconnect(this);
        }
        tcpSocket_ = socket;
    }
    socket->connectToHost(ip_, port_, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    // The attempt runs on in this thread's loop; a controller whose SYNs go unanswered is given
    // up at the deadline, and the abort's state change makes the link Pending again.
    QTimer::singleShot(
        kConnectWaitMs, socket.data(), [this, attempt = QPointer<TcpSocket>(socket.data())] {
            if (attempt && state_ == State::Attempting && tcpSocket_.data() == attempt)
                attempt->abort();
        });
}

void TcpConnectModulePrivate::sendHeartBeat() {
    checkFenceReplies();
    const QByteArray payload = heartBeatPayload();
    if (!payload.isEmpty()) {
        sendFrame(kHeartBeat, payload);
    }
}

void TcpConnectModulePrivate::onCheckHeartBeat() {
    if (state_ == State::Connected) {
        checkFenceReplies();
    }
    if (closing_ || state_ != State::Connected || secsSinceLastPing() <= kSilenceLimitSecs) {
        return;
    }
    qCDebug(lcLink) << "连接超时 主动断开";
    const QString silence = QStringLiteral("no frame for %1 s").arg(secsSinceLastPing());
    record(FrameRecorder::Event::Silence, silence);
    record(FrameRecorder::Event::Lost, silence);
    enter(State::Pending);
    closeSocket();
}

// The socket's state matters only while an attempt or a connection is under way: a close the link
// made itself has already settled the state.
void TcpConnectModulePrivate::onTcpSocketStateChanged(QAbstractSocket::SocketState socketState) {
    const State state = state_;
    if ((state != State::Attempting && state != State::Connected) || closing_) {
        return;
    }
    if (socketState == QAbstractSocket::ConnectedState) {
        qCDebug(lcLink) << "连接成功";
        // What the last connection left unfinished is no beginning for this one's frames.
        recvBuffer_.clear();
        prepareConnection();
        touchLastPingTime();
        record(FrameRecorder::Event::Connected, QStringLiteral("%1:%2").arg(ip_).arg(port_));
        enter(State::Connected);
        return;
    }
    if (socketState != QAbstractSocket::UnconnectedState) {
        return;
    }
    const QAbstractSocket::SocketError error =
        tcpSocket_ ? tcpSocket_->error() : QAbstractSocket::UnknownSocketError;
    if (!isExpectedLoss(error)) {
        qCDebug(lcLink) << "onTcpSocketStateChanged:"
                        << ": unknow error:" << error;
    }
    // Failed attempts are no loss: a controller that is down would otherwise fill the record.
    if (state == State::Connected) {
        record(FrameRecorder::Event::Lost,
               tcpSocket_ ? tcpSocket_->errorString() : QStringLiteral("closed"));
    }
    enter(State::Pending);
    if (closing_) {
        return;
    }
    emit closeCurrentSocket();
}

void TcpConnectModulePrivate::onTcpSocketReadyRead() {
    if (state_ == State::Pending || closing_ || !tcpSocket_) {
        return;
    }
    recvBuffer_.append(tcpSocket_->readAll());
    Frame frame;
    while (!closing_ && recvBuffer_.next(&frame)) {
        handleFrame(frame);
    }
}

void TcpConnectModulePrivate::handleFrame(const Frame& frame) {
    if (recorder_) {
        recorder_->recordFrame(FrameRecorder::Link::Control, FrameRecorder::Direction::In,
                               frame.command, frame.payload);
    }
    if (frame.command == kHeartBeat) {
        checkHeartbeatEcho(frame.payload);
        echoHeartbeat(frame.payload);
        return;
    }
    touchLastPingTime();
    if (frame.command == kHeartBeatReply) {
        countHeartbeatReply();
        return;
    }
    checkFenceReplies();
    emit receivedData(frame.command, frame.payload);
}

void TcpConnectModulePrivate::closeCurrentSocketInNowThread() {
    if (!tcpSocket_) {
        return;
    }
    closeSocket();
    qCDebug(lcLink) << "tcpSocket_->close()";
}

// A close with unsent bytes would leave the socket Closing and report the loss later, after the
// caller has settled the link state; aborting the rest makes the loss happen now.
void TcpConnectModulePrivate::closeSocket() {
    const QSharedPointer<TcpSocket> socket = tcpSocket_;
    if (!socket) {
        return;
    }
    socket->close();
    if (socket->state() != QAbstractSocket::UnconnectedState) {
        socket->abort();
    }
}

void TcpConnectModulePrivate::TcpSocketError(QAbstractSocket::SocketError) {}

void TcpConnectModulePrivate::enter(State next) {
    const State before = state_.exchange(next);
    if (next == before) {
        return;
    }
    const bool wasUnderWay = before == State::Connected || before == State::Attempting;
    if (next == State::Connected) {
        emit connectSucceed(1);
    } else if (wasUnderWay && next != State::Attempting) {
        emit connectSucceed(0);
    }
}

// ---- Fences ----

// Small frames go out at once: Nagle's algorithm would hold a query until the controller
// acknowledged the write before it, which a controller that does not answer writes delays.
void TcpConnectModulePrivate::prepareConnection() {
    tcpSocket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        fence_.reset();
    }
    emit fencesLifted();
}

void TcpConnectModulePrivate::setFences(bool on) {
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        fence_.setWanted(on);
    }
    if (!on) {
        emit fencesLifted();
    }
}

// Under the socket lock.
void TcpConnectModulePrivate::countWrittenHeartbeat(quint16 command, const QByteArray& payload) {
    if (command == kHeartBeat) {
        fence_.written(payload, fenceClock_.elapsed(),
                       echoing_ ? HeartbeatFence::Origin::Echo : HeartbeatFence::Origin::Own);
    }
}

// The echo counts in S, but coming back it is no heartbeat of the link's own.
void TcpConnectModulePrivate::echoHeartbeat(const QByteArray& payload) {
    std::lock_guard<std::recursive_mutex> lock(socketMutex_);
    echoing_ = true;
    sendFrame(kHeartBeat, payload);
    echoing_ = false;
}

// Under the socket lock: the fence goes out in the same send as its question, so no other
// thread's heartbeat can come between them.
void TcpConnectModulePrivate::appendFence(QByteArray& frame) {
    FencedSend* const question = FencedSend::current();
    if (!question || question->sequence() || !fence_.active()) {
        return;
    }
    const QByteArray payload = heartBeatPayload();
    if (recorder_) {
        recorder_->recordFrame(FrameRecorder::Link::Control, FrameRecorder::Direction::Out,
                               kHeartBeat, payload);
    }
    question->fenced(fence_.written(payload, fenceClock_.elapsed(), HeartbeatFence::Origin::Own));
    frame += encodeFrame(kHeartBeat, payload);
}

void TcpConnectModulePrivate::countHeartbeatReply() {
    std::optional<quint64> replies;
    bool active = false;
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        replies = fence_.replied();
        active = fence_.active();
    }
    if (!replies) {
        liftFences(HeartbeatFence::Fault::MoreRepliesThanHeartbeats);
    } else if (active) {
        emit heartbeatReplied(*replies);
    }
}

void TcpConnectModulePrivate::checkHeartbeatEcho(const QByteArray& payload) {
    bool echo = false;
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        echo = fence_.isEcho(payload, fenceClock_.elapsed());
    }
    if (echo) {
        liftFences(HeartbeatFence::Fault::Echoed);
    }
}

void TcpConnectModulePrivate::checkFenceReplies() {
    bool overdue = false;
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        overdue = fence_.active() && fence_.overdue(fenceClock_.elapsed());
    }
    if (overdue) {
        liftFences(HeartbeatFence::Fault::Unanswered);
    }
}

void TcpConnectModulePrivate::liftFences(HeartbeatFence::Fault fault) {
    bool first = false;
    {
        std::lock_guard<std::recursive_mutex> lock(socketMutex_);
        first = fence_.fail(fault);
    }
    if (first) {
        qCInfo(lcLink) << "heartbeat fences off for this connection:"
                       << HeartbeatFence::describe(fault);
        emit fencesLifted();
    }
}

void TcpConnectModulePrivate::touchLastPingTime() {
    std::lock_guard<std::recursive_mutex> lock(pingMutex_);
    lastPingTime_ = QDateTime::currentDateTimeUtc();
}

qint64 TcpConnectModulePrivate::secsSinceLastPing() {
    std::lock_guard<std::recursive_mutex> lock(pingMutex_);
    return lastPingTime_.secsTo(QDateTime::currentDateTimeUtc());
}

}  // namespace kelvo
