#include "hanginglistener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kFillers = 3;

sockaddr_in loopback(const char* address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &result.sin_addr);
    result.sin_port = htons(port);
    return result;
}

}  // namespace

HangingListener::HangingListener(const char* address, Queue queue) : address_(address) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in bound = loopback(address_, 0);
    socklen_t size = sizeof(bound);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&bound), size);
    ::listen(listener_, 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &size);
    port_ = ntohs(bound.sin_port);
    if (queue == Queue::Full)
        fill();
}

HangingListener::~HangingListener() {
    for (int filler : fillers_) {
        ::close(filler);
    }
    ::close(listener_);
}

void HangingListener::dropQueued() {
    const int flags = ::fcntl(listener_, F_GETFL);
    ::fcntl(listener_, F_SETFL, flags | O_NONBLOCK);
    for (int queued = ::accept(listener_, nullptr, nullptr); queued >= 0;
         queued = ::accept(listener_, nullptr, nullptr)) {
        ::close(queued);
    }
    ::fcntl(listener_, F_SETFL, flags);
}

void HangingListener::fill() {
    for (int i = 0; i < kFillers; ++i) {
        const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
        ::fcntl(filler, F_SETFL, O_NONBLOCK);
        const sockaddr_in target = loopback(address_, port_);
        ::connect(filler, reinterpret_cast<const sockaddr*>(&target), sizeof(target));
        fillers_.push_back(filler);
    }
    ::usleep(100 * 1000);
}
