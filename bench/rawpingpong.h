#pragma once

#include <string>
#include <thread>

namespace kelvo::bench {

// One client and one server socket with Nagle off and an echo thread that answers each request of
// requestSize bytes with replySize bytes: a write and a read on each side per trip.
class RawPingPong {
public:
    RawPingPong(int requestSize, int replySize);
    ~RawPingPong();
    RawPingPong(const RawPingPong&) = delete;
    RawPingPong& operator=(const RawPingPong&) = delete;

    bool roundTrip();

private:
    std::string request_;
    std::string reply_;
    int client_ = -1;
    int server_ = -1;
    std::thread echo_;
};

}  // namespace kelvo::bench
