#include "link/tcpsocket.h"

#include <QMetaObject>
#include <QThread>

namespace kelvo {

void TcpSocket::write(QByteArray data) {
    if (QThread::currentThread() == thread()) {
        QIODevice::write(data);
        return;
    }
    QMetaObject::invokeMethod(this, "write", Qt::QueuedConnection, Q_ARG(QByteArray, data));
}

}  // namespace kelvo
