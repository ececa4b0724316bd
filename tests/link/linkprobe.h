#pragma once

#include "link/framedecoder.h"
#include "link/tcpconnectmoduleprivate.h"

#include <QVector>

#include <condition_variable>
#include <mutex>

class LogCapture;

// Records what a link reports, from whichever thread reports it, for the test thread to wait on.
class LinkProbe {
public:
    explicit LinkProbe(kelvo::TcpConnectModulePrivate& link);

    int lastState() const;
    QVector<kelvo::Frame> frames() const;
    int count(int succeed) const;
    // Waits until connectSucceed(succeed) has arrived count times in all; its time, or -1.
    qint64 waitForState(int succeed, int count, int timeoutMs);
    bool waitForFrames(int count, int timeoutMs);
    bool deliveredInLinkThread() const;

private:
    struct State {
        int succeed;
        qint64 atMs;
    };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QVector<State> states_;
    QVector<kelvo::Frame> frames_;
    bool allInLinkThread_ = true;
};

// Polls the captured log until line has been written count times; the time it was seen, or -1.
qint64 waitForLog(const LogCapture& log, const QString& line, int count, int timeoutMs);
