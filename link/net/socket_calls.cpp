// send and recv with EINTR retried and MSG_NOSIGNAL on every send; the receive time-out
// is the socket's own option.
#include "link/net/socket_calls.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

ssize_t NetSocketSend(int socket, const void* data, size_t size) {
    ssize_t sent;
    do {
        sent = ::send(socket, data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

ssize_t NetSocketReceive(int socket, void* buffer, size_t size, int flags) {
    ssize_t received;
    do {
        received = ::recv(socket, buffer, size, flags);
    } while (received < 0 && errno == EINTR);
    return received;
}

bool NetSocketSetReceiveTimeout(int socket, int64_t ms) {
    if (ms < 0) ms = 0;
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(ms / 1000);
    limit.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0;
}
