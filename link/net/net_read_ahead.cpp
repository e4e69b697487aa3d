#include "link/net/net_read_ahead.h"

#include <algorithm>
#include <cstring>

#include "link/net/exact_transfer.h"
#include "link/net/socket_calls.h"

size_t NetReadAhead::Take(void* buffer, size_t n, bool consume) {
    const size_t taken = std::min(n, Buffered());
    if (taken == 0) return 0;
    std::memcpy(buffer, bytes_.get() + start_, taken);
    if (consume) start_ += taken;
    return taken;
}

ssize_t NetReadAhead::Refill(int socket) {
    if (Buffered() != 0) return -1;
    if (!bytes_) bytes_ = std::make_unique<uint8_t[]>(kNetTransferPiece);
    start_ = 0;
    end_ = 0;
    const ssize_t received = NetSocketReceive(socket, bytes_.get(), kNetTransferPiece, 0);
    if (received > 0) end_ = static_cast<size_t>(received);
    return received;
}
