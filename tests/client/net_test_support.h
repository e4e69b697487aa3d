// Helpers of the network tests: a listener on 127.0.0.1 at a port the system picks, a
// resolver user for the length of a test, and a one-shot gate that test lookups block on.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "link/net/net_resolver.h"
#include "link/net/net_timeouts.h"

class LoopbackListener {
public:
    explicit LoopbackListener(int backlog = 8) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(fd_, backlog) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackListener() {
        if (fd_ != -1) ::close(fd_);
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    bool IsOpen() const { return fd_ != -1; }
    uint16_t Port() const { return port_; }
    // The next connection, or -1 when none came within five seconds.
    int Accept() {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, 5000) != 1) return -1;
        return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// The network layer has one resolver user while this lives; time-outs and the lookup go
// back to their defaults afterwards.
class ResolverUser {
public:
    ResolverUser() { NetResolver::AddUser(); }
    ~ResolverUser() {
        NetResolver::Release();
        NetResolver::SetLookup(nullptr);
        NetTimeouts::Reset();
    }
    ResolverUser(const ResolverUser&) = delete;
    ResolverUser& operator=(const ResolverUser&) = delete;
};

// Writes all bytes to a raw socket.
inline bool SendAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

// Reads exactly size bytes from a raw socket.
inline bool ReceiveAll(int fd, void* buffer, size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t received = ::recv(fd, bytes, size, 0);
        if (received <= 0) return false;
        bytes += received;
        size -= static_cast<size_t>(received);
    }
    return true;
}
