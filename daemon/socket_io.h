// Transfers on a connected socket of the daemon. Sends never raise SIGPIPE. SocketReader
// reads a client's bytes through a buffer, so a request frame that arrived whole costs one
// receive call instead of one per field. A payload beyond what the buffer holds is received
// in pieces, the result growing only with bytes that arrived, so a client that claims a
// large length and sends nothing holds no memory for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "daemon/wire_bytes.h"

class SocketReader {
public:
    static constexpr size_t kBufferSize = 16 * 1024;

    explicit SocketReader(int socket);

    // False on error or when the peer closed before size bytes arrived.
    bool ReadExact(void* data, size_t size);
    bool ReadPayload(size_t size, WireBytes& out);

private:
    // Copies what the buffer holds, at most size bytes; answers how many.
    size_t TakeBuffered(uint8_t* data, size_t size);
    // One receive into the empty buffer; false at the end of the stream or on error.
    bool Fill();

    int socket_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t start_ = 0;
    size_t end_ = 0;
};

// Sends every byte, waiting as needed; false on error.
bool SendAll(int socket, const void* data, size_t size);
// Sends what the socket takes now without waiting; answers how many bytes went out (an
// error stops it early, and the next blocking send meets the error again).
size_t SendWithoutWaiting(int socket, const void* data, size_t size);
