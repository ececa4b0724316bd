#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QTcpSocket>

#include <mutex>

namespace kelvo {

// The control socket. send() may be called from any thread and never waits for the network: while
// nothing is backed up, the bytes go straight to the kernel from the calling thread, so a request
// leaves without waiting for the socket's own thread to wake up. What the kernel does not take at
// once is backed up and written later by the socket's thread, and every later send queues behind
// it, so frames stay whole and in the order they were sent.
class TcpSocket : public QTcpSocket {
    Q_OBJECT

public:
    TcpSocket();
    ~TcpSocket() override;

    // False, with nothing sent, while the socket is not connected or once the kernel reports the
    // connection broken; true means handed to the kernel or backed up, not delivered.
    bool send(const QByteArray& bytes);

private:
    // Called from the socket's own thread only.
    void onStateChanged(QAbstractSocket::SocketState state);
    void closeSendDescriptor();
    Q_INVOKABLE void flushBacklog();
    void settleBacklog();

    // Guards everything below; never held while Qt does socket I/O.
    std::mutex sendMutex_;
    // Our own duplicate of the descriptor while connected: Qt closes its copy on its own when the
    // connection breaks, and a number that another part of the process may reuse at once must
    // never be written to. -1 where writes always go through the socket's thread.
    qintptr sendDescriptor_ = -1;
    bool writable_ = false;
    // Bytes not yet handed to Qt, and whether anything is still backed up (here or in Qt's
    // buffer): while it is, sends queue behind it.
    QByteArray backlog_;
    bool backedUp_ = false;
};

}  // namespace kelvo
