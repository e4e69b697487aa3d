// BufferStream: a memory block and a byte stream over it in one object, as the daemon
// client uses for the payload of each request and reply. The stream borrows the block and
// is destroyed before it.
#pragma once

#include <cstddef>

#include "engine/dynamic_buffer.h"
#include "foundation/streams/t_buffer.h"

class BufferStream {
  public:
    explicit BufferStream(size_t initialSize = 0, size_t growStep = 512)
        : buffer_(initialSize, growStep), stream_(&buffer_, false) {}
    BufferStream(const BufferStream&) = delete;
    BufferStream& operator=(const BufferStream&) = delete;

    TBuffer& Stream() { return stream_; }
    Kiv::DynamicBuffer& Buffer() { return buffer_; }

  private:
    // Declared in this order so that the stream goes first.
    Kiv::DynamicBuffer buffer_;
    TBuffer stream_;
};
