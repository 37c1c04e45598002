#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace platform {

namespace {

sockaddr_in anyAddress(uint16_t port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    return address;
}

int setBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return 1;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, wanted) == 0 ? 0 : 1;
}

// Waits for a non-blocking connect to finish, within CONNECT_TIMEOUT_MS.
int finishConnect(int fd) {
    pollfd entry = {fd, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&entry, 1, CONNECT_TIMEOUT_MS);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return 1;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return 1;
    return error == 0 ? 0 : 1;
}

} // namespace

int listenTcp(uint16_t port, int backlog, TcpSocket& out) {
    out.fd = -1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 1;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in address = anyAddress(port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, backlog) != 0) {
        close(fd);
        return 1;
    }
    out.fd = fd;
    return 0;
}

int32_t localPort(TcpSocket s) {
    if (!s.valid()) return -1;
    sockaddr_in address = {};
    socklen_t length = sizeof address;
    if (getsockname(s.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(address.sin_port);
}

TcpSocket acceptTcp(TcpSocket listener) {
    TcpSocket client;
    if (!listener.valid()) return client;
    int fd;
    do {
        fd = accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    client.fd = fd < 0 ? -1 : fd;
    return client;
}

int connectTcp(const char* address, uint16_t port, TcpSocket& out) {
    out.fd = -1;
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (address == nullptr || inet_pton(AF_INET, address, &peer.sin_addr) != 1) return 1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 1;
    out.fd = fd;
    // Non-blocking only while connecting, so an unreachable host costs a bounded wait.
    if (setBlocking(fd, false) != 0) return 1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return 1;
        if (finishConnect(fd) != 0) return 1;
    }
    return setBlocking(fd, true);
}

int sendAll(TcpSocket s, const void* data, size_t n) {
    if (!s.valid()) return 1;
    const char* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < n) {
        const ssize_t r = send(s.fd, bytes + sent, n - sent, MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return 1;
        sent += static_cast<size_t>(r);
    }
    return 0;
}

int receiveExactly(TcpSocket s, void* data, size_t n) {
    if (!s.valid()) return 1;
    char* bytes = static_cast<char*>(data);
    size_t got = 0;
    while (got < n) {
        const ssize_t r = recv(s.fd, bytes + got, n - got, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return 1;
        got += static_cast<size_t>(r);
    }
    return 0;
}

namespace {

int setTimeLimit(TcpSocket s, int option, int32_t ms) {
    if (!s.valid() || ms < 0) return 1;
    timeval limit = {};
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
    return setsockopt(s.fd, SOL_SOCKET, option, &limit, sizeof limit) == 0 ? 0 : 1;
}

} // namespace

int setReceiveTimeout(TcpSocket s, int32_t ms) {
    return setTimeLimit(s, SO_RCVTIMEO, ms);
}

int setSendTimeout(TcpSocket s, int32_t ms) {
    return setTimeLimit(s, SO_SNDTIMEO, ms);
}

int waitReadable(TcpSocket s, int32_t ms) {
    if (!s.valid()) return 1;
    pollfd entry = {s.fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 ? 0 : 1;
}

void shutdownSocket(TcpSocket s) {
    if (s.valid()) shutdown(s.fd, SHUT_RDWR);
}

void closeSocket(TcpSocket& s) {
    if (s.valid()) close(s.fd);
    s.fd = -1;
}

int openUdp(uint16_t port, bool broadcast, UdpSocket& out) {
    out.fd = -1;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 1;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (broadcast && setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes) != 0) {
        close(fd);
        return 1;
    }
    const sockaddr_in address = anyAddress(port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return 1;
    }
    out.fd = fd;
    return 0;
}

int sendDatagram(UdpSocket s, const void* data, size_t n, Adresse to) {
    if (!s.valid()) return 1;
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(to.ip);
    peer.sin_port = htons(to.port);
    ssize_t r;
    do {
        r = sendto(s.fd, data, n, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&peer),
                   sizeof peer);
    } while (r < 0 && errno == EINTR);
    return r == static_cast<ssize_t>(n) ? 0 : 1;
}

int32_t receiveDatagram(UdpSocket s, void* data, size_t capacity, int32_t ms, Adresse& from) {
    if (!s.valid()) return -1;
    pollfd entry = {s.fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, ms);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return -1;
    sockaddr_in peer = {};
    socklen_t length = sizeof peer;
    // MSG_TRUNC: the datagram's real length, so that an oversized one can be told apart.
    const ssize_t r = recvfrom(s.fd, data, capacity, MSG_TRUNC | MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&peer), &length);
    if (r < 0 || peer.sin_family != AF_INET) return -1;
    from.ip = ntohl(peer.sin_addr.s_addr);
    from.port = ntohs(peer.sin_port);
    return r > INT32_MAX ? INT32_MAX : static_cast<int32_t>(r);
}

int32_t broadcastAddresses(uint32_t out[], int32_t max) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return 0;
    int32_t count = 0;
    for (const ifaddrs* i = list; i != nullptr && count < max; i = i->ifa_next) {
        const unsigned wanted = IFF_UP | IFF_BROADCAST;
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            (i->ifa_flags & wanted) != wanted || i->ifa_broadaddr == nullptr)
            continue;
        const auto* b = reinterpret_cast<const sockaddr_in*>(i->ifa_broadaddr);
        out[count++] = ntohl(b->sin_addr.s_addr);
    }
    freeifaddrs(list);
    return count;
}

void formatAddress(uint32_t ip, char text[16]) {
    snprintf(text, 16, "%u.%u.%u.%u", (ip >> 24) & 255u, (ip >> 16) & 255u, (ip >> 8) & 255u,
             ip & 255u);
}

void closeSocket(UdpSocket& s) {
    if (s.valid()) close(s.fd);
    s.fd = -1;
}

} // namespace platform
