#pragma once

#include <QByteArray>
#include <QTcpSocket>

#include <mutex>

namespace kelvo {

// The control socket. Its write slot may be called from any thread: outside the socket's own
// thread it queues a copy of the bytes for that thread and returns at once, so a socket is never
// used from two threads. Bytes queued from other threads go out in the order they were queued.
class TcpSocket : public QTcpSocket {
    Q_OBJECT

public:
    TcpSocket() = default;

public slots:
    void write(QByteArray data);

private:
    // The queue is a mutex-guarded buffer rather than a queued call carrying the bytes: one wake-up
    // serves a burst of writes, and ThreadSanitizer can see the hand-over.
    Q_INVOKABLE void writeQueued();

    std::mutex queueMutex_;
    QByteArray queued_;
};

}  // namespace kelvo
