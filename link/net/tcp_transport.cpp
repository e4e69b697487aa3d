// TCPTransport: resolution, the bounded connect, and one socket call per operation; reads
// take what the exact receives read ahead before they call the socket.
#include "link/net/tcp_transport.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string_view>

#include "link/net/net_resolver.h"
#include "link/net/net_timeouts.h"
#include "link/net/socket_calls.h"
#include "engine/timing.h"

namespace {

// Waits for a connect in progress; a negative time-out waits without end.
bool AwaitConnect(int socket, int64_t timeoutMs) {
    const int64_t deadline = Kiv::Time::Ms() + timeoutMs;
    for (;;) {
        const int64_t left = timeoutMs < 0 ? -1 : std::max<int64_t>(0, deadline - Kiv::Time::Ms());
        pollfd ready{socket, POLLOUT, 0};
        const int result = ::poll(&ready, 1, static_cast<int>(std::min<int64_t>(left, INT_MAX)));
        if (result > 0) break;
        if (result == 0 || errno != EINTR) return false;
    }
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

bool ConnectWithin(int socket, const sockaddr_in& address, int64_t timeoutMs) {
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return true;
    }
    if (errno != EINPROGRESS && errno != EINTR) return false;
    return AwaitConnect(socket, timeoutMs);
}

bool SetBlocking(int socket) {
    const int flags = ::fcntl(socket, F_GETFL);
    return flags != -1 && ::fcntl(socket, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

TCPTransport::TCPTransport(const char* host, uint16_t port) : port_(port) {
    const std::string_view name = host ? host : "";
    if (name.size() < kHostNameCapacity) {
        hostName_.assign(name);
        AdoptSocket(Connect());
    }
    if (GetSocket() == -1) SetStatus(kNetStatusNotConnected);
}

int TCPTransport::Connect() {
    sockaddr_in address{};
    if (!NetResolver::ResolveAsync(Kiv::String(hostName_), port_, &address)) return -1;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket == -1) return -1;
    if (ConnectWithin(socket, address, NetTimeouts::ConnectMs()) && SetBlocking(socket)) {
        return socket;
    }
    ::close(socket);
    return -1;
}

int32_t TCPTransport::Read(void* buffer, int32_t size) {
    if (size < 0) return -1;
    if (ReadAhead().Buffered() > 0 && size > 0) {
        return static_cast<int32_t>(ReadAhead().Take(buffer, static_cast<size_t>(size)));
    }
    const auto received = static_cast<int32_t>(
        NetSocketReceive(GetSocket(), buffer, static_cast<size_t>(size), 0));
    if (received < 0) SetFailed();
    return received;
}

int32_t TCPTransport::Peek(void* buffer, int32_t size) {
    if (size < 0) return -1;
    if (ReadAhead().Buffered() > 0 && size > 0) {
        return static_cast<int32_t>(ReadAhead().Take(buffer, static_cast<size_t>(size), false));
    }
    return static_cast<int32_t>(
        NetSocketReceive(GetSocket(), buffer, static_cast<size_t>(size), MSG_PEEK));
}

int32_t TCPTransport::Write(const void* data, int32_t size) {
    if (size < 0) return -1;
    return static_cast<int32_t>(NetSocketSend(GetSocket(), data, static_cast<size_t>(size)));
}

void TCPTransport::Close() { CloseSocket(); }

std::unique_ptr<NetTransport> TCPTransport::Clone(uint16_t port) {
    return std::make_unique<TCPTransport>(hostName_.c_str(), port);
}

bool TCPTransport::BytesAvailable() {
    if (ReadAhead().Buffered() > 0) return true;
    int waiting = 0;
    return ::ioctl(GetSocket(), FIONREAD, &waiting) == 0 && waiting > 0;
}
