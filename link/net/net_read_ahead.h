// NetReadAhead: bytes that one receive call brought in beyond what an exact receive asked
// for, kept for the next receive on the same transport. The daemon sends each frame in one
// piece, so a frame whose fields are taken apart by several exact receives (tag, id,
// length, body) costs one socket call. Receives into it move at most kNetTransferPiece
// bytes. It has no lock: the transport's reads are one thread's at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sys/types.h>

class NetReadAhead {
public:
    size_t Buffered() const { return end_ - start_; }
    // Copies up to n buffered bytes to buffer; answers how many. consume false leaves them.
    size_t Take(void* buffer, size_t n, bool consume = true);
    // One receive call on socket into the emptied buffer: the bytes received, 0 when the
    // peer closed, negative on error. Only when nothing is buffered.
    ssize_t Refill(int socket);

private:
    std::unique_ptr<uint8_t[]> bytes_;  // made at the first refill
    size_t start_ = 0;
    size_t end_ = 0;
};
