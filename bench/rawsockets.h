#pragma once

#include <cstddef>
#include <cstdint>

// Blocking loopback sockets for the raw baselines the library is measured against.
namespace kelvo::bench {

// A socket listening on a free loopback port, which goes to *port.
int listenOnLoopback(uint16_t* port);
// A socket connected to a loopback port; -1 when nothing listens there.
int connectToLoopback(uint16_t port);
// Nagle off: every write goes out at once.
void noDelay(int fd);
// Exactly size bytes, or false when the socket fails or closes first.
bool sendAll(int fd, const char* data, size_t size);
bool receiveAll(int fd, char* data, size_t size);

}  // namespace kelvo::bench
