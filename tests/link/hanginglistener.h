#pragma once

#include <QtGlobal>

#include <vector>

// A loopback listener whose accept queue is full and never drained: the kernel drops further
// connection requests, so a connect to it neither succeeds nor fails for a long time.
class HangingListener {
public:
    HangingListener();
    ~HangingListener();
    HangingListener(const HangingListener&) = delete;
    HangingListener& operator=(const HangingListener&) = delete;

    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    std::vector<int> fillers_;
    quint16 port_ = 0;
};
