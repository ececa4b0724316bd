#pragma once

#include <QByteArray>
#include <QTcpSocket>

namespace kelvo {

// The control socket. Its write slot may be called from any thread: outside the socket's own
// thread it queues a copy of the bytes to that thread and returns at once, so a socket is never
// used from two threads.
class TcpSocket : public QTcpSocket {
    Q_OBJECT

public:
    TcpSocket() = default;

public slots:
    void write(QByteArray data);
};

}  // namespace kelvo
