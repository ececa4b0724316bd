#include "hanginglistener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

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
    for (int filler : fillers_)
        ::close(filler);
    ::close(listener_);
}

void HangingListener::dropQueued() {
    const int flags = ::fcntl(listener_, F_GETFL);
    ::fcntl(listener_, F_SETFL, flags | O_NONBLOCK);
    for (int queued; (queued = ::accept(listener_, nullptr, nullptr)) >= 0;)
        ::close(queued);
    ::fcntl(listener_, F_SETFL, flags);
}

void HangingListener::fill() {
    const sockaddr_in target = loopback(address_, port_);
    for (int i = 0; i < 3; ++i) {
        fillers_.push_back(::socket(AF_INET, SOCK_STREAM, 0));
        ::fcntl(fillers_.back(), F_SETFL, O_NONBLOCK);
        ::connect(fillers_.back(), reinterpret_cast<const sockaddr*>(&target), sizeof(target));
    }
    ::usleep(100 * 1000);
}
