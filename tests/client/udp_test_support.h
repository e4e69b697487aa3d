// Helpers of the UDP and TME tests: a plain datagram socket on 127.0.0.1 that sends and
// receives datagrams written byte by byte, so the protocol is checked against bytes made
// without the endpoint's own code, and a fixture that owns the job clock the link reads.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/jobs/job_timing.h"
#include "kav_client_test_peer.h"

using Datagram = Bytes;

class RawUdp {
public:
    RawUdp() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~RawUdp() { ::close(fd_); }
    RawUdp(const RawUdp&) = delete;
    RawUdp& operator=(const RawUdp&) = delete;

    uint16_t Port() const { return port_; }
    // The port the last datagram read came from.
    uint16_t LastSenderPort() const { return lastSenderPort_; }
    void SendTo(uint16_t port, const Datagram& bytes) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    // The next datagram, waiting up to waitMs for it (loopback delivers within the send, so
    // a check for "nothing" needs no wait).
    std::optional<Datagram> Next(int waitMs = 2000) const {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, waitMs) != 1) return std::nullopt;
        Datagram bytes(100000);
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got = ::recvfrom(fd_, bytes.data(), bytes.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &length);
        if (got < 0) return std::nullopt;
        lastSenderPort_ = ntohs(from.sin_port);
        bytes.resize(static_cast<size_t>(got));
        return bytes;
    }
    std::vector<Datagram> Drain() const {
        std::vector<Datagram> all;
        while (auto next = Next(0)) all.push_back(*next);
        return all;
    }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
    mutable uint16_t lastSenderPort_ = 0;
};

// The job clock at a chosen second; restored to 0 afterwards.
class JobClockAt {
public:
    JobClockAt() { SetJobClock(0); }
    ~JobClockAt() { SetJobClock(0); }
    void Set(float seconds) { SetJobClock(seconds); }
};
