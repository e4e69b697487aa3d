// send and recv with EINTR retried and MSG_NOSIGNAL on every send.
#include "client/net/socket_calls.h"

#include <sys/socket.h>

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
