// IPv4 sockets, TCP for the game and UDP for finding games on the LAN: the only code that
// speaks to the network stack. Every socket is close-on-exec, so processes we spawn do not
// inherit our connections.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// A socket handle; copyable like the handle it stands for. -1 is no socket.
struct TcpSocket {
    int fd = -1;
    bool valid() const { return fd >= 0; }
};

// Listens on all local addresses at `port` (SO_REUSEADDR); port 0 lets the system choose.
// 0 on success, 1 on failure (nothing is left open then).
int listenTcp(uint16_t port, int backlog, TcpSocket& out);
// The local port a socket is bound to, or -1.
int32_t localPort(TcpSocket s);
// Blocks until a client arrives; the result is invalid on failure or once the listener
// has been shut down.
TcpSocket acceptTcp(TcpSocket listener);
// Connects to a dotted-decimal IPv4 address, giving up after CONNECT_TIMEOUT_MS.
// 0 on success, 1 on failure: a malformed address opens no socket; a refused or timed-out
// connection leaves the socket open in `out`.
constexpr int32_t CONNECT_TIMEOUT_MS = 10000;
int connectTcp(const char* address, uint16_t port, TcpSocket& out);
// Sends all `n` bytes in one go (no SIGPIPE on a closed peer). 0 when all were sent, 1
// otherwise.
int sendAll(TcpSocket s, const void* data, size_t n);
// Receives exactly `n` bytes across partial reads. 0 on success, 1 on failure, on close
// or when a receive time limit ran out; `data` may then hold a partial read.
int receiveExactly(TcpSocket s, void* data, size_t n);
// Bounds every later receive on `s` to `ms` milliseconds (0: no bound). 0 or 1.
int setReceiveTimeout(TcpSocket s, int32_t ms);
// Bounds every later send on `s` to `ms` milliseconds (0: no bound). 0 or 1.
int setSendTimeout(TcpSocket s, int32_t ms);
// Waits up to `ms` milliseconds for data (or a close) to read. 0 when readable, 1 otherwise.
int waitReadable(TcpSocket s, int32_t ms);
// Ends both directions at once: a thread blocked in accept, receive or send on `s` wakes
// with a failure. The handle stays valid until closeSocket.
void shutdownSocket(TcpSocket s);
// Closes and invalidates `s`; closing an invalid socket does nothing.
void closeSocket(TcpSocket& s);

// ---- UDP --------------------------------------------------------------------------------

struct UdpSocket {
    int fd = -1;
    bool valid() const { return fd >= 0; }
};

// An IPv4 address and port, both in host byte order.
struct Adresse {
    uint32_t ip;
    uint16_t port;
};

// The loopback's broadcast address: a datagram sent there reaches every socket bound to its
// port on this machine, where one sent to 127.0.0.1 reaches only one of those sharing it.
constexpr uint32_t LOOPBACK_BROADCAST = 0x7FFFFFFF; // 127.255.255.255

// Binds on all local addresses at `port` (0: any free port). SO_REUSEADDR, so that several
// games on one machine share a port; `broadcast` allows sending to broadcast addresses.
// 0 on success, 1 on failure (nothing is left open then).
int openUdp(uint16_t port, bool broadcast, UdpSocket& out);
// Sends one datagram. 0 when it left whole, 1 otherwise.
int sendDatagram(UdpSocket s, const void* data, size_t n, Adresse to);
// Waits up to `ms` milliseconds for one datagram and keeps at most `capacity` bytes of it.
// Its whole length, which may exceed `capacity`, or -1 when none came.
int32_t receiveDatagram(UdpSocket s, void* data, size_t capacity, int32_t ms, Adresse& from);
// The broadcast addresses of the IPv4 interfaces that are up and have one, at most `max`.
// Their count.
int32_t broadcastAddresses(uint32_t out[], int32_t max);
// Dotted decimal, at most 15 characters and the terminator.
void formatAddress(uint32_t ip, char text[16]);
void closeSocket(UdpSocket& s);

} // namespace platform
