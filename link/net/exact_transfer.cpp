// The exact transfer loops of the daemon link.
#include "link/net/exact_transfer.h"

#include <algorithm>

#include "link/net/net_transport.h"
#include "link/net/socket_calls.h"

namespace {

bool Usable(const NetTransport* transport) {
    return transport && transport->GetStatus() == kNetStatusOk && transport->GetSocket() != -1;
}

}  // namespace

bool NetSendExact(NetTransport* transport, const void* data, size_t n) {
    const auto* bytes = static_cast<const char*>(data);
    while (n > 0) {
        if (!Usable(transport)) return false;
        const ssize_t sent =
            NetSocketSend(transport->GetSocket(), bytes, std::min(n, kNetTransferPiece));
        // A send of a non-empty piece never answers 0; taking 0 as failure rules out a spin.
        if (sent <= 0) {
            transport->SetFailed();
            return false;
        }
        bytes += sent;
        n -= static_cast<size_t>(sent);
    }
    return true;
}

// A rest of at least one piece goes straight to its place; a smaller one through the
// transport's read-ahead, which may take in the bytes after it too.
bool NetReceiveExact(NetTransport* transport, void* buffer, size_t n) {
    auto* bytes = static_cast<char*>(buffer);
    while (n > 0) {
        if (!Usable(transport)) return false;
        NetReadAhead& ahead = transport->ReadAhead();
        const size_t taken = ahead.Take(bytes, n);
        bytes += taken;
        n -= taken;
        if (n == 0) break;
        const bool direct = n >= kNetTransferPiece;
        const ssize_t received = direct
            ? NetSocketReceive(transport->GetSocket(), bytes, kNetTransferPiece, 0)
            : ahead.Refill(transport->GetSocket());
        if (received <= 0) {
            transport->SetFailed();
            return false;
        }
        if (direct) {
            bytes += received;
            n -= static_cast<size_t>(received);
        }
    }
    return true;
}
