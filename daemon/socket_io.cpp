#include "daemon/socket_io.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "daemon/link_format.h"

bool ReceiveExact(int socket, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    size_t received = 0;
    while (received < size) {
        const ssize_t n = recv(socket, bytes + received, size - received, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        received += static_cast<size_t>(n);
    }
    return true;
}

bool ReceivePayload(int socket, size_t size, WireBytes& out) {
    out.clear();
    while (out.size() < size) {
        const size_t piece = std::min(size - out.size(), DaemonLink::kReadPiece);
        const size_t start = out.size();
        out.resize(start + piece);
        if (!ReceiveExact(socket, out.data() + start, piece)) return false;
    }
    return true;
}

bool SendAll(int socket, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = send(socket, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}
