#include "robot/sleepwithevents.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace kelvo {

namespace {
constexpr qint64 kSliceMs = 100;
}

void sleepWithEvents(int ms) {
    const QDeadlineTimer deadline(std::max(ms, 0));
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(deadline.remainingTime()));
        return;
    }
    QEventLoop slice;
    do {
        QTimer::singleShot(std::min(deadline.remainingTime(), kSliceMs), &slice, &QEventLoop::quit);
        slice.exec();
    } while (!deadline.hasExpired());
}

}  // namespace kelvo
