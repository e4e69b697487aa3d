// Utils::BlockMemory: a pool of fixed-size blocks for objects that come and go one by one
// (syntax-tree nodes, symbols, subscriptions, delayed messages). Blocks live in chunks, each
// with a bitmap of free blocks (set = free; the most significant bit of word 0 is block 0).
// Allocation serves the fullest chunk that is not full, so blocks gather in few chunks, and a
// chunk that empties is given back once the other chunks hold more spare blocks than the
// release threshold. Nothing is constructed or destroyed in it and it takes no lock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Utils {

class BlockMemory {
  public:
    // Every chunk's first block starts on this boundary, so a block size taken from sizeof
    // of a record keeps every block aligned for it.
    static constexpr uint32_t kAlignment = alignof(std::max_align_t);

    BlockMemory() = default;  // no chunk table: Init first
    virtual ~BlockMemory();
    BlockMemory(const BlockMemory&) = delete;
    BlockMemory& operator=(const BlockMemory&) = delete;

    // Gives back anything held, then raises the block size to a multiple of 4 and the blocks
    // per chunk to a multiple of 32 and makes an empty chunk table. False when the table
    // cannot be had or the rounded sizes do not fit 32 bits (the pool then stays unusable).
    bool Init(uint32_t releaseThreshold, uint32_t blockSize, uint32_t blocksPerChunk);
    // A block, or null when no chunk can be had.
    void* Alloc();
    // True when the block was in use and is now free; false for an address that is not the
    // start of a block of this pool, or a block already free. An address inside a block is
    // refused, not taken as that block: Alloc never hands one out, so it can only be a stray
    // pointer, and freeing the block under it would give away memory its owner still uses.
    bool Free(void* block);
    // Every block of every chunk free; no chunk given back.
    void MarkAllFree();
    // Every chunk but the lowest-addressed one given back; that one all free.
    void FreeAllButFirstChunk();
    // Every chunk and the table given back; the pool needs Init again.
    void FreeAll();

    uint32_t BlockSize() const { return blockSize_; }
    uint32_t BlocksPerChunk() const { return blocksPerChunk_; }
    uint32_t BitmapWords() const { return bitmapWords_; }
    uint32_t ReleaseThreshold() const { return releaseThreshold_; }
    uint32_t Used() const { return used_; }
    uint32_t ChunkCount() const { return chunkCount_; }

  private:
    struct Chunk {
        void* raw;       // the block area as allocated
        uint8_t* start;  // first block, on the alignment boundary
        uint8_t* end;    // just after the last block
        uint32_t* bitmap;
        uint32_t used;
    };

    int32_t AddChunk();
    Chunk* NewChunk() const;
    static void DeleteChunk(Chunk* chunk);
    bool GrowTable();
    void RemoveChunk(uint32_t index);
    void* AllocInChunk(Chunk* chunk);
    void PickChunk();
    int32_t FindChunk(uintptr_t address) const;
    void MarkChunkFree(Chunk* chunk) const;

    Chunk** chunks_ = nullptr;  // sorted by start address
    uint32_t chunkCount_ = 0;
    uint32_t tableCapacity_ = 0;
    Chunk* allocChunk_ = nullptr;
    uint32_t releaseThreshold_ = 0;
    uint32_t blocksPerChunk_ = 0;
    uint32_t bitmapWords_ = 0;
    uint32_t blockSize_ = 0;
    uint32_t alignment_ = 0;
    uint32_t used_ = 0;
};

}  // namespace Utils
