#include "link/tcpsocket.h"

#include <QMetaObject>
#include <QThread>

namespace kelvo {

void TcpSocket::write(QByteArray data) {
    if (QThread::currentThread() == thread()) {
        QIODevice::write(data);
        return;
    }
    bool wakeUp = false;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        wakeUp = queued_.isEmpty();
        queued_.append(data);
    }
    if (wakeUp) {
        QMetaObject::invokeMethod(this, "writeQueued", Qt::QueuedConnection);
    }
}

void TcpSocket::writeQueued() {
    QByteArray bytes;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        bytes.swap(queued_);
    }
    // The link may have been closed since the bytes were queued.
    if (isOpen()) {
        QIODevice::write(bytes);
    }
}

}  // namespace kelvo
