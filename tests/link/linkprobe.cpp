#include "linkprobe.h"

#include "logcapture.h"
#include "simframe.h"

#include <QThread>

#include <chrono>

using kelvo::TcpConnectModulePrivate;
using kelvo::sim::nowMs;

LinkProbe::LinkProbe(TcpConnectModulePrivate& link) {
    const auto record = [this](auto change) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            change();
        }
        changed_.notify_all();
    };
    QObject::connect(
        &link, &TcpConnectModulePrivate::connectSucceed, &link,
        [=](int succeed) { record([&] {
                               states_.append({succeed, nowMs()});
                           }); },
        Qt::DirectConnection);
    QObject::connect(
        &link, &TcpConnectModulePrivate::receivedData, &link,
        [=, &link](quint16 command, const QByteArray& data) {
            record([&] {
                frames_.append({command, data});
                allInLinkThread_ = allInLinkThread_ && QThread::currentThread() == &link;
            });
        },
        Qt::DirectConnection);
}

int LinkProbe::countOf(int succeed) const {
    return static_cast<int>(std::count_if(states_.begin(), states_.end(),
                                          [succeed](const auto& s) { return s.first == succeed; }));
}

qint64 LinkProbe::waitForState(int succeed, int count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return countOf(succeed) >= count; }))
        return -1;
    int seen = 0;
    for (const auto& state : states_) {
        if (state.first == succeed && ++seen == count)
            return state.second;
    }
    return -1;
}

bool LinkProbe::waitForFrames(int count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return frames_.size() >= count; });
}

qint64 waitForLog(const LogCapture& log, const QString& line, int count, int timeoutMs) {
    const qint64 deadline = nowMs() + timeoutMs;
    while (log.count(line) < count) {
        if (nowMs() > deadline)
            return -1;
        QThread::msleep(5);
    }
    return nowMs();
}
