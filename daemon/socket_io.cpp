#include "daemon/socket_io.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "daemon/link_format.h"

namespace {

// recv with EINTR retried; the bytes received, or 0 at the end of the stream or on error.
size_t ReceiveSome(int socket, uint8_t* data, size_t size) {
    for (;;) {
        const ssize_t n = recv(socket, data, size, 0);
        if (n > 0) return static_cast<size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        return 0;
    }
}

}  // namespace

SocketReader::SocketReader(int socket)
    : socket_(socket), buffer_(std::make_unique<uint8_t[]>(kBufferSize)) {}

size_t SocketReader::TakeBuffered(uint8_t* data, size_t size) {
    const size_t n = std::min(size, end_ - start_);
    if (n > 0) std::memcpy(data, buffer_.get() + start_, n);
    start_ += n;
    return n;
}

bool SocketReader::Fill() {
    start_ = 0;
    end_ = ReceiveSome(socket_, buffer_.get(), kBufferSize);
    return end_ > 0;
}

bool SocketReader::ReadExact(void* data, size_t size) {
    auto* bytes = static_cast<uint8_t*>(data);
    size_t done = TakeBuffered(bytes, size);
    while (done < size) {
        // A rest larger than the buffer goes straight to its place.
        if (size - done >= kBufferSize) {
            const size_t n = ReceiveSome(socket_, bytes + done, size - done);
            if (n == 0) return false;
            done += n;
            continue;
        }
        if (!Fill()) return false;
        done += TakeBuffered(bytes + done, size - done);
    }
    return true;
}

bool SocketReader::ReadPayload(size_t size, WireBytes& out) {
    out.clear();
    while (out.size() < size) {
        const size_t piece = std::min(size - out.size(), DaemonLink::kReadPiece);
        const size_t start = out.size();
        out.resize(start + piece);
        if (!ReadExact(out.data() + start, piece)) return false;
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

size_t SendWithoutWaiting(int socket, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = send(socket, bytes + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    return sent;
}
