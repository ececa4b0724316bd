#include "link/tcpsocket.h"

#include <QMetaObject>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kelvo {

namespace {

#ifdef _WIN32
// Windows sends everything through the socket's thread.
qintptr duplicateDescriptor(qintptr) {
    return -1;
}

void closeDescriptor(qintptr) {}

qint64 writeNow(qintptr, const char*, qint64) {
    return 0;
}
#else
qintptr duplicateDescriptor(qintptr descriptor) {
    return descriptor < 0 ? -1 : ::fcntl(static_cast<int>(descriptor), F_DUPFD_CLOEXEC, 0);
}

void closeDescriptor(qintptr descriptor) {
    if (descriptor >= 0)
        ::close(static_cast<int>(descriptor));
}

// What the kernel took without waiting; -1 once the connection is broken. MSG_NOSIGNAL: a broken
// connection must fail the send, not raise SIGPIPE in the host.
qint64 writeNow(qintptr descriptor, const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::send(static_cast<int>(descriptor), data + done,
                                 static_cast<size_t>(size - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            done += n;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else if (errno != EINTR) {
            return -1;
        }
    }
    return done;
}
#endif

}  // namespace

TcpSocket::TcpSocket() {
    connect(this, &QAbstractSocket::stateChanged, this, &TcpSocket::onStateChanged,
            Qt::DirectConnection);
    connect(this, &QIODevice::aboutToClose, this, &TcpSocket::closeSendDescriptor,
            Qt::DirectConnection);
    connect(this, &QIODevice::bytesWritten, this, &TcpSocket::settleBacklog, Qt::DirectConnection);
}

// The base class still aborts a connected socket and signals it, after this part is gone.
TcpSocket::~TcpSocket() {
    disconnect(this, nullptr, this, nullptr);
    closeSendDescriptor();
}

bool TcpSocket::send(const QByteArray& bytes) {
    std::lock_guard<std::mutex> lock(sendMutex_);
    if (!writable_)
        return false;
    qint64 sent = 0;
    if (!backedUp_ && sendDescriptor_ >= 0) {
        sent = writeNow(sendDescriptor_, bytes.constData(), bytes.size());
        if (sent < 0) {
            // The socket's thread learns of the loss from its own reads.
            writable_ = false;
            return false;
        }
        if (sent == bytes.size())
            return true;
    }
    const bool wakeUp = backlog_.isEmpty();
    backlog_.append(bytes.constData() + sent, static_cast<int>(bytes.size() - sent));
    backedUp_ = true;
    if (wakeUp)
        QMetaObject::invokeMethod(this, "flushBacklog", Qt::QueuedConnection);
    return true;
}

void TcpSocket::onStateChanged(QAbstractSocket::SocketState state) {
    if (state != QAbstractSocket::ConnectedState) {
        closeSendDescriptor();
        return;
    }
    std::lock_guard<std::mutex> lock(sendMutex_);
    closeDescriptor(sendDescriptor_);
    sendDescriptor_ = duplicateDescriptor(socketDescriptor());
    writable_ = true;
}

void TcpSocket::closeSendDescriptor() {
    std::lock_guard<std::mutex> lock(sendMutex_);
    closeDescriptor(sendDescriptor_);
    sendDescriptor_ = -1;
    writable_ = false;
    backlog_.clear();
    backedUp_ = false;
}

// Later sends queue in backlog_ meanwhile and schedule another flush, which runs after this one.
void TcpSocket::flushBacklog() {
    QByteArray bytes;
    {
        std::lock_guard<std::mutex> lock(sendMutex_);
        bytes.swap(backlog_);
    }
    if (!bytes.isEmpty() && state() == QAbstractSocket::ConnectedState)
        QIODevice::write(bytes);
    settleBacklog();
}

void TcpSocket::settleBacklog() {
    std::lock_guard<std::mutex> lock(sendMutex_);
    if (backlog_.isEmpty() && bytesToWrite() == 0)
        backedUp_ = false;
}

}  // namespace kelvo
