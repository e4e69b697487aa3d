// GSImageReader: the loader's view of a ".gsl" image. Words are read through the image's
// Utils::AlignedByteBuffer, whose sticky read flag ends the load; on top of it the reader
// keeps a failure of its own for what the buffer cannot see: a chunk whose size runs past
// its parent or the image, a chunk left past its end, a count that needs more bytes than
// its chunk has left, an index out of its table. Once failed, it stays failed.
#pragma once

#include <cstdint>

#include "foundation/utils/aligned_byte_buffer.h"

class GSImageReader {
  public:
    struct Chunk {
        uint32_t start = 0;
        uint32_t end = 0;  // start + size
    };

    explicit GSImageReader(Utils::AlignedByteBuffer& image) : image_(image) {}

    bool Failed() const { return failed_ || (image_.Flags() & Utils::AlignedByteBuffer::kReadPastEnd); }
    // Marks the read failed and returns false.
    bool Fail() {
        failed_ = true;
        return false;
    }

    uint32_t Position() const { return image_.Cursor(); }
    uint32_t Length() const { return image_.Length(); }
    const uint8_t* At(uint32_t position) const { return image_.Data() + position; }

    // A word, or 0 once the read has failed.
    uint32_t Word();
    int32_t SignedWord() { return static_cast<int32_t>(Word()); }
    // Moves to position, which must lie inside the image.
    bool SeekTo(uint64_t position);
    bool Skip(uint64_t bytes) { return SeekTo(uint64_t{Position()} + bytes); }
    // Size and tag of a chunk at the position: the size covers at least the two words and
    // stays inside `limit` (a parent chunk's end or the image's length).
    bool OpenChunk(uint32_t tag, Chunk& chunk, uint32_t limit);
    // Leaves a chunk at its end; fails when its contents were read past that end.
    bool CloseChunk(const Chunk& chunk);
    // True when count entries of `bytesEach` bytes fit between the position and `end`.
    bool Fits(uint32_t count, uint32_t bytesEach, uint32_t end);

  private:
    Utils::AlignedByteBuffer& image_;
    bool failed_ = false;
};
