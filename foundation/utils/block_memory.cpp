// Utils::BlockMemory: the chunk table, the bitmap search, the choice of the allocation chunk
// and the release of empty chunks.
#include "foundation/utils/block_memory.h"

#include <bit>
#include <cstring>

#include "foundation/utils/raw_memory.h"

namespace Utils {

namespace {

constexpr uint32_t kBitsPerWord = 32;
constexpr uint32_t kTableGrowth = 4;

uint32_t BlockBit(uint32_t index) { return 0x80000000u >> (index % kBitsPerWord); }

}  // namespace

BlockMemory::~BlockMemory() { FreeAll(); }

bool BlockMemory::Init(uint32_t releaseThreshold, uint32_t blockSize, uint32_t blocksPerChunk) {
    FreeAll();
    const uint64_t size = (uint64_t{blockSize} + 3) & ~uint64_t{3};
    const uint64_t count = (uint64_t{blocksPerChunk} + kBitsPerWord - 1) & ~uint64_t{kBitsPerWord - 1};
    if (size == 0 || count == 0 || size > UINT32_MAX || count > UINT32_MAX) return false;
    chunks_ = static_cast<Chunk**>(AllocRaw(sizeof(Chunk*)));
    if (!chunks_) return false;
    chunks_[0] = nullptr;
    tableCapacity_ = 1;
    releaseThreshold_ = releaseThreshold;
    blockSize_ = static_cast<uint32_t>(size);
    blocksPerChunk_ = static_cast<uint32_t>(count);
    bitmapWords_ = blocksPerChunk_ / kBitsPerWord;
    alignment_ = kAlignment;
    return true;
}

void* BlockMemory::Alloc() {
    if (!allocChunk_) {
        const int32_t index = AddChunk();
        if (index < 0) return nullptr;
        allocChunk_ = chunks_[index];
    }
    void* block = AllocInChunk(allocChunk_);
    if (allocChunk_->used == blocksPerChunk_) PickChunk();
    return block;
}

void* BlockMemory::AllocInChunk(Chunk* chunk) {
    for (uint32_t word = bitmapWords_; word-- > 0;) {
        const uint32_t bits = chunk->bitmap[word];
        if (bits == 0) continue;
        const uint32_t bit = static_cast<uint32_t>(std::countl_zero(bits));
        chunk->bitmap[word] = bits & ~(0x80000000u >> bit);
        ++chunk->used;
        ++used_;
        return chunk->start + (size_t{word} * kBitsPerWord + bit) * blockSize_;
    }
    return nullptr;
}

bool BlockMemory::Free(void* block) {
    if (used_ % 16 == 0) PickChunk();
    const uintptr_t address = reinterpret_cast<uintptr_t>(block);
    const int32_t found = FindChunk(address);
    if (found < 0) return false;
    Chunk* chunk = chunks_[found];
    const uintptr_t offset = address - reinterpret_cast<uintptr_t>(chunk->start);
    // A pointer inside a block is refused: freeing the block under it would hand out memory
    // the caller still holds.
    if (offset % blockSize_ != 0) return false;
    const uint32_t index = static_cast<uint32_t>(offset / blockSize_);
    uint32_t& word = chunk->bitmap[index / kBitsPerWord];
    const bool freed = (word & BlockBit(index)) == 0;
    if (freed) {
        word |= BlockBit(index);
        --chunk->used;
        --used_;
    }
    const int64_t spare = int64_t{chunkCount_ - 1} * blocksPerChunk_ - used_;
    if (chunk->used == 0 && spare > int64_t{releaseThreshold_}) {
        RemoveChunk(static_cast<uint32_t>(found));
        PickChunk();
    }
    return freed;
}

int32_t BlockMemory::FindChunk(uintptr_t address) const {
    uint32_t low = 0;
    uint32_t high = chunkCount_;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        if (reinterpret_cast<uintptr_t>(chunks_[middle]->start) <= address)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0) return -1;
    const Chunk* chunk = chunks_[low - 1];
    return address < reinterpret_cast<uintptr_t>(chunk->end) ? static_cast<int32_t>(low - 1) : -1;
}

void BlockMemory::PickChunk() {
    allocChunk_ = nullptr;
    for (uint32_t i = chunkCount_; i-- > 0;) {
        Chunk* chunk = chunks_[i];
        if (chunk->used == blocksPerChunk_) continue;
        if (!allocChunk_ || chunk->used > allocChunk_->used) allocChunk_ = chunk;
    }
}

int32_t BlockMemory::AddChunk() {
    if (!chunks_) return -1;
    if (chunkCount_ == tableCapacity_ && !GrowTable()) return -1;
    Chunk* chunk = NewChunk();
    if (!chunk) return -1;
    uint32_t index = chunkCount_;
    const uintptr_t start = reinterpret_cast<uintptr_t>(chunk->start);
    while (index > 0 && start < reinterpret_cast<uintptr_t>(chunks_[index - 1]->start)) {
        chunks_[index] = chunks_[index - 1];
        --index;
    }
    chunks_[index] = chunk;
    ++chunkCount_;
    return static_cast<int32_t>(index);
}

bool BlockMemory::GrowTable() {
    const uint64_t capacity = uint64_t{tableCapacity_} + kTableGrowth;
    if (capacity > UINT32_MAX) return false;
    auto* table = static_cast<Chunk**>(AllocRaw(capacity * sizeof(Chunk*)));
    if (!table) return false;
    std::memcpy(table, chunks_, chunkCount_ * sizeof(Chunk*));
    FreeRaw(chunks_);
    chunks_ = table;
    tableCapacity_ = static_cast<uint32_t>(capacity);
    return true;
}

// The block area is block size x blocks per chunk + alignment - 1 bytes; the pool's sizes
// are 32-bit, so a larger area is refused rather than computed with a wrapped product.
BlockMemory::Chunk* BlockMemory::NewChunk() const {
    const uint64_t areaSize = uint64_t{blockSize_} * blocksPerChunk_ + alignment_ - 1;
    if (areaSize > UINT32_MAX) return nullptr;
    auto* chunk = static_cast<Chunk*>(AllocRaw(sizeof(Chunk)));
    if (!chunk) return nullptr;
    chunk->raw = AllocRaw(areaSize);
    chunk->bitmap = static_cast<uint32_t*>(AllocRaw(size_t{bitmapWords_} * sizeof(uint32_t)));
    if (!chunk->raw || !chunk->bitmap) {
        DeleteChunk(chunk);
        return nullptr;
    }
    const uintptr_t raw = reinterpret_cast<uintptr_t>(chunk->raw);
    const uintptr_t start = (raw + alignment_ - 1) & ~uintptr_t{alignment_ - 1};
    chunk->start = static_cast<uint8_t*>(chunk->raw) + (start - raw);
    chunk->end = chunk->start + size_t{blockSize_} * blocksPerChunk_;
    MarkChunkFree(chunk);
    return chunk;
}

void BlockMemory::DeleteChunk(Chunk* chunk) {
    FreeRaw(chunk->raw);
    FreeRaw(chunk->bitmap);
    FreeRaw(chunk);
}

void BlockMemory::MarkChunkFree(Chunk* chunk) const {
    std::memset(chunk->bitmap, 0xFF, size_t{bitmapWords_} * sizeof(uint32_t));
    chunk->used = 0;
}

void BlockMemory::RemoveChunk(uint32_t index) {
    if (index >= chunkCount_) return;
    if (allocChunk_ == chunks_[index]) allocChunk_ = nullptr;
    DeleteChunk(chunks_[index]);
    for (uint32_t i = index + 1; i < chunkCount_; ++i)
        chunks_[i - 1] = chunks_[i];
    --chunkCount_;
}

void BlockMemory::MarkAllFree() {
    for (uint32_t i = 0; i < chunkCount_; ++i)
        MarkChunkFree(chunks_[i]);
    allocChunk_ = chunkCount_ > 0 ? chunks_[0] : nullptr;
    used_ = 0;
}

void BlockMemory::FreeAllButFirstChunk() {
    while (chunkCount_ > 1)
        RemoveChunk(chunkCount_ - 1);
    MarkAllFree();
}

void BlockMemory::FreeAll() {
    for (uint32_t i = 0; i < chunkCount_; ++i)
        DeleteChunk(chunks_[i]);
    FreeRaw(chunks_);
    chunks_ = nullptr;
    chunkCount_ = 0;
    tableCapacity_ = 0;
    allocChunk_ = nullptr;
    releaseThreshold_ = 0;
    blocksPerChunk_ = 0;
    bitmapWords_ = 0;
    blockSize_ = 0;
    alignment_ = 0;
    used_ = 0;
}

}  // namespace Utils
