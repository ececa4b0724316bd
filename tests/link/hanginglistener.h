#pragma once

#include <cstdint>
#include <vector>

// A loopback listener whose accept queue is full and never drained: the kernel drops further
// connection requests, so a connect to it neither succeeds nor fails for a long time. Made open,
// it takes one connection first (it completes, unaccepted), and fill() then makes it hang.
class HangingListener {
public:
    enum class Queue { Full, Open };

    explicit HangingListener(const char* address = "127.0.0.1", Queue queue = Queue::Full);
    ~HangingListener();
    HangingListener(const HangingListener&) = delete;
    HangingListener& operator=(const HangingListener&) = delete;

    std::uint16_t port() const { return port_; }
    // Closes the connections waiting in the queue, so their peers see them go.
    void dropQueued();
    // Fills the queue: from now on connection requests go unanswered.
    void fill();

private:
    const char* address_;
    int listener_ = -1;
    std::vector<int> fillers_;
    std::uint16_t port_ = 0;
};
