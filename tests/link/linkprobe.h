#pragma once

#include "link/framedecoder.h"
#include "link/tcpconnectmoduleprivate.h"

#include <QVector>

#include <condition_variable>
#include <mutex>

class LogCapture;

// Records what a link reports, from whichever thread reports it, for the test thread to wait on.
class LinkProbe {
    template <typename F>
    auto locked(F read) const -> decltype(read()) {
        std::lock_guard<std::mutex> lock(mutex_);
        return read();
    }

public:
    explicit LinkProbe(kelvo::TcpConnectModulePrivate& link);

    int lastState() const {
        return locked([&] { return states_.isEmpty() ? -1 : states_.last().first; });
    }
    QVector<kelvo::Frame> frames() const {
        return locked([&] { return frames_; });
    }
    bool deliveredInLinkThread() const {
        return locked([&] { return allInLinkThread_; });
    }
    int count(int succeed) const {
        return locked([&] { return countOf(succeed); });
    }
    // Waits until connectSucceed(succeed) has arrived count times in all; its time, or -1.
    qint64 waitForState(int succeed, int count, int timeoutMs);
    bool waitForFrames(int count, int timeoutMs);

private:
    int countOf(int succeed) const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QVector<std::pair<int, qint64>> states_;  // what connectSucceed said, and when
    QVector<kelvo::Frame> frames_;
    bool allInLinkThread_ = true;
};

// Polls the captured log until line has been written count times; the time it was seen, or -1.
qint64 waitForLog(const LogCapture& log, const QString& line, int count, int timeoutMs);
