#include "logcapture.h"

#include <QMutexLocker>

std::atomic<LogCapture*> LogCapture::active_{nullptr};

LogCapture::LogCapture() {
    active_ = this;
    previous_ = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previous_);
    active_ = nullptr;
}

void LogCapture::handler(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (LogCapture* capture = active_) {
        QMutexLocker lock(&capture->mutex_);
        capture->lines_.append(message);
    }
}

QStringList LogCapture::lines() const {
    QMutexLocker lock(&mutex_);
    return lines_;
}

int LogCapture::count(const QString& line) const {
    return static_cast<int>(lines().count(line));
}

void LogCapture::clear() {
    QMutexLocker lock(&mutex_);
    lines_.clear();
}
