#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <atomic>

// Collects every Qt log line written while it lives (from any thread), in order.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    QStringList lines() const;
    int count(const QString& line) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static std::atomic<LogCapture*> active_;
    mutable QMutex mutex_;
    QStringList lines_;
    QtMessageHandler previous_;
};
