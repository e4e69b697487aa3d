// Utils::FrameMemory: a chunked bump allocator for many small pieces (identifiers,
// literals, log texts, messages) that all go back at once. Allocation moves a counter
// forward in the current chunk, with no header per piece; a piece that does not fit opens a
// new chunk and the rest of the old one is never used again. Every request is charged
// size + alignment - 1 bytes, whatever gap the alignment needed. Nothing is constructed or
// destroyed in it and it takes no lock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Utils {

class FrameMemory {
  public:
    static constexpr uint32_t kDefaultChunkSize = 2048;

    // One chunk of the default size.
    FrameMemory();
    virtual ~FrameMemory();
    FrameMemory(const FrameMemory&) = delete;
    FrameMemory& operator=(const FrameMemory&) = delete;

    // Gives back any chunks, then sets the chunk size and makes one chunk; when that chunk
    // cannot be had, every allocation returns null until the next Init.
    void Init(uint32_t chunkSize);
    // Null when there is no current chunk, when alignment is not a power of two, when the
    // charge (size + alignment - 1) exceeds the chunk size, or when a new chunk cannot be
    // had (the frame then stays without a current chunk until Release and Init). A piece
    // that does not fit always takes a new chunk: the current chunk is always the last one,
    // since nothing rewinds a frame while keeping its chunks, so there is no later chunk to
    // move on to.
    void* Alloc(size_t size, size_t alignment);
    // A copy of a NUL-terminated text, or null for a null text or a failed allocation.
    char* StrDup(const char* text);
    // Frees every chunk; the frame allocates nothing until Init runs again.
    void Release();

    uint32_t ChunkSize() const { return chunkSize_; }
    uint32_t Total() const { return total_; }  // bytes charged since the last Init
    uint32_t Count() const { return count_; }  // allocations since the last Init

  private:
    struct Chunk {
        uint8_t* data;  // the first byte after this header
        uint32_t used;  // bytes of the data area charged so far
        Chunk* next;
    };

    Chunk* NewChunk(Chunk* previous);

    Chunk* first_ = nullptr;
    Chunk* current_ = nullptr;
    uint32_t total_ = 0;
    uint32_t count_ = 0;
    uint32_t chunkSize_ = 0;
};

}  // namespace Utils
