#include "rawpingpong.h"

#include "rawsockets.h"

#include <sys/socket.h>
#include <unistd.h>

namespace kelvo::bench {

RawPingPong::RawPingPong(int requestSize, int replySize)
    : request_(static_cast<size_t>(requestSize), 'q'), reply_(static_cast<size_t>(replySize), 'r') {
    uint16_t port = 0;
    const int listener = listenOnLoopback(&port);
    client_ = connectToLoopback(port);
    server_ = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    noDelay(client_);
    noDelay(server_);
    echo_ = std::thread([this] {
        std::string in(request_.size(), '\0');
        const std::string out(reply_.size(), 'r');
        while (receiveAll(server_, &in[0], in.size()) && sendAll(server_, out.data(), out.size())) {
        }
    });
}

RawPingPong::~RawPingPong() {
    ::shutdown(client_, SHUT_RDWR);
    echo_.join();
    ::close(client_);
    ::close(server_);
}

bool RawPingPong::roundTrip() {
    return sendAll(client_, request_.data(), request_.size()) &&
           receiveAll(client_, &reply_[0], reply_.size());
}

}  // namespace kelvo::bench
