#include "linkprobe.h"

#include "logcapture.h"
#include "simframe.h"

#include <QTcpServer>

#include <chrono>

using kelvo::sim::nowMs;

LinkProbe::LinkProbe(kelvo::TcpConnectModulePrivate& link) {
    QObject::connect(
        &link, &kelvo::TcpConnectModulePrivate::connectSucceed, &link,
        [this](int succeed) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                states_.append({succeed, nowMs()});
            }
            changed_.notify_all();
        },
        Qt::DirectConnection);
    QObject::connect(
        &link, &kelvo::TcpConnectModulePrivate::receivedData, &link,
        [this, &link](quint16 command, const QByteArray& data) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                frames_.append({command, data});
                allInLinkThread_ = allInLinkThread_ && QThread::currentThread() == &link;
            }
            changed_.notify_all();
        },
        Qt::DirectConnection);
}

template <typename Predicate>
bool LinkProbe::waitUntil(int timeoutMs, Predicate done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}

QVector<LinkProbe::State> LinkProbe::states() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return states_;
}

QVector<kelvo::Frame> LinkProbe::frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

int LinkProbe::count(int succeed) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(
        std::count_if(states_.begin(), states_.end(),
                      [succeed](const State& s) { return s.succeed == succeed; }));
}

qint64 LinkProbe::waitForState(int succeed, int count, int timeoutMs) {
    qint64 at = -1;
    waitUntil(timeoutMs, [&] {
        int seen = 0;
        for (const State& state : states_) {
            if (state.succeed == succeed && ++seen == count) {
                at = state.atMs;
                return true;
            }
        }
        return false;
    });
    return at;
}

bool LinkProbe::waitForFrames(int count, int timeoutMs) {
    return waitUntil(timeoutMs, [&] { return frames_.size() >= count; });
}

bool LinkProbe::deliveredInLinkThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return allInLinkThread_;
}

qint64 waitForLog(const LogCapture& log, const QString& line, int count, int timeoutMs) {
    const qint64 deadline = nowMs() + timeoutMs;
    while (log.count(line) < count) {
        if (nowMs() > deadline) {
            return -1;
        }
        QThread::msleep(5);
    }
    return nowMs();
}

quint16 unusedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}
