// IPv4 TCP sockets: the only code that speaks to the network stack.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// A socket handle; copyable like the handle it stands for. -1 is no socket.
struct TcpSocket {
    int fd = -1;
    bool valid() const { return fd >= 0; }
};

// Listens on all local addresses at `port` (SO_REUSEADDR). 0 on success, 1 on failure.
int listenTcp(uint16_t port, int backlog, TcpSocket& out);
// Blocks until a client arrives; the result is invalid on failure.
TcpSocket acceptTcp(TcpSocket listener);
// Connects to a dotted-decimal IPv4 address. 0 on success, 1 on failure (socket left open).
int connectTcp(const char* address, uint16_t port, TcpSocket& out);
// Sends all `n` bytes (no SIGPIPE on a closed peer). 0 when all were sent, 1 otherwise.
int sendAll(TcpSocket s, const void* data, size_t n);
// Receives exactly `n` bytes across partial reads. 0 on success, 1 on failure or close.
int receiveExactly(TcpSocket s, void* data, size_t n);
void closeSocket(TcpSocket& s);

} // namespace platform
