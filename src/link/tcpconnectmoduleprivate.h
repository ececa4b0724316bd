#pragma once

#include "link/framedecoder.h"
#include "link/framerecorder.h"
#include "link/heartbeatfence.h"
#include "link/tcpsocket.h"
#include "link/threadtaskrunner.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QSharedPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace kelvo {

// The one long-lived control connection. Its own thread owns the socket, cuts frames, sends the
// heartbeat, drops a silent controller and rebuilds the link on every check tick until stopped.
//
// Link states: Idle (stopped), Pending (an attempt at the next check tick), Attempting (a connect
// under way, given up after 5 s), Connected. connectSucceed(1) announces Connected;
// connectSucceed(0) announces the end of a connection or of an attempt, once each.
//
// Threads: the object itself belongs to the creating thread; the loop, the timers, the socket and
// every slot run in the connection thread. receivedData is emitted there and meant for direct
// connections; connectSucceed reaches objects of other threads queued. Frames are written from the
// sending thread (TcpSocket::send). Lock order: socketMutex_ before pingMutex_, the recorder's lock
// and the socket's own lock, never the reverse.
class TcpConnectModulePrivate : public QThread {
    Q_OBJECT

public:
    static constexpr quint16 kHeartBeat = 0x7266;
    static constexpr quint16 kHeartBeatReply = 0x7267;

    // Production uses port 6000 and time base 300000 (check tick 1666 ms, liveness check 2000 ms).
    TcpConnectModulePrivate(const QString& ip, const quint16& port, const int& timeBase);
    // Ends the thread; an attempt in progress is abandoned, not waited for.
    ~TcpConnectModulePrivate() override;

    // Starts the connection thread and returns once it is Pending; the first attempt follows at
    // the first check tick.
    void startNetThread();
    // Ends the connection thread for good and returns once it has ended; the object stays whole,
    // so a handler still running in that thread can finish. Also done by the destructor.
    void stopThread();

    // From any thread; never waits for network I/O. The bytes leave from the calling thread unless
    // earlier ones are still backed up. True means handed to the socket, not delivered. False
    // (frame dropped) while the link is not Connected, once the kernel reports it broken, or when
    // the payload does not fit a frame.
    bool sendFrame(quint16 command, const QByteArray& payload);

    // Every frame and link event goes to the recorder as well. Set it before startNetThread.
    void setRecorder(std::shared_ptr<FrameRecorder> recorder);

    // Heartbeat fences behind questions (see FencedSend); on by default. Off ends them for every
    // connection until switched on again.
    void setFences(bool on);

    // Traffic seen elsewhere (the transfer connection) also counts as a sign of life.
    void setLastPingTime(const QDateTime& time);

    // Both wait until the connection thread has closed the socket and handled the close, so the
    // state they leave is final; an attempt in progress is abandoned. Do not call them while
    // holding a lock that receivers of receivedData take.
    void changeIp(const QString& ip);
    void stopConnect();
    // Returns at once; the connection thread runs a check tick without waiting for the timer.
    void startConnect();

signals:
    void receivedData(quint16 command, QByteArray data);
    void connectSucceed(int succeed);
    void closeCurrentSocket();
    // From the connection thread: R reached replies (the heartbeat replies of this connection).
    void heartbeatReplied(quint64 replies);
    // Fences written so far count no more: a new connection, a fallback or the caller's wish.
    void fencesLifted();

public slots:
    void closeCurrentSocketInNowThread();
    void onTcpSocketStateChanged(QAbstractSocket::SocketState socketState);
    void onTcpSocketReadyRead();
    void onTcpSocketCheck();
    void onCheckHeartBeat();
    void TcpSocketError(QAbstractSocket::SocketError);

protected:
    void run() override;

private:
    void rebuildLink();
    void sendHeartBeat();
    void closeSocket();
    void handleFrame(const Frame& frame);
    void touchLastPingTime();
    // The fence's share of the link: counting, the fence behind a question and the fallbacks.
    void prepareConnection();
    void countWrittenHeartbeat(quint16 command, const QByteArray& payload);
    void echoHeartbeat(const QByteArray& payload);
    void appendFence(QByteArray& frame);
    void countHeartbeatReply();
    void checkHeartbeatEcho(const QByteArray& payload);
    void checkFenceReplies();
    void liftFences(HeartbeatFence::Fault fault);
    qint64 secsSinceLastPing();
    void runInLinkThread(const std::function<void()>& task);
    void record(FrameRecorder::Event event, const QString& detail = QString(), qint64 bytes = 0);

    enum class State { Idle, Pending, Attempting, Connected };
    // The one place the state changes, with its notification.
    void enter(State next);

    std::atomic<bool> closing_{false};
    std::atomic<State> state_{State::Idle};
    QString ip_;
    quint16 port_;
    int timeBase_;
    QSharedPointer<TcpSocket> tcpSocket_;
    // Standard mutexes, so that ThreadSanitizer sees the ordering they give.
    std::recursive_mutex socketMutex_;
    std::recursive_mutex pingMutex_;
    QSemaphore startSemaphore_{0};
    FrameDecoder recvBuffer_{FrameDecoder::HeadErrors::Logged, FrameDecoder::Lengths::Doubted};
    QDateTime lastPingTime_;
    HeartbeatFence fence_;  // under socketMutex_
    bool echoing_ = false;  // under socketMutex_
    QElapsedTimer fenceClock_;
    std::shared_ptr<FrameRecorder> recorder_;
    // Lives in the connection thread: runs what other threads hand over to it.
    ThreadTaskRunner linkTasks_;
};

}  // namespace kelvo
