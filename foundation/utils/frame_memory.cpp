// Utils::FrameMemory: chunk list, bump allocation and release.
#include "foundation/utils/frame_memory.h"

#include <cstring>

#include "foundation/utils/raw_memory.h"

namespace Utils {

FrameMemory::FrameMemory() { Init(kDefaultChunkSize); }

FrameMemory::~FrameMemory() { Release(); }

void FrameMemory::Init(uint32_t chunkSize) {
    Release();
    chunkSize_ = chunkSize;
    first_ = NewChunk(nullptr);
    current_ = first_;
}

FrameMemory::Chunk* FrameMemory::NewChunk(Chunk* previous) {
    void* memory = AllocRaw(sizeof(Chunk) + chunkSize_);
    if (!memory) return nullptr;
    Chunk* chunk = static_cast<Chunk*>(memory);
    chunk->data = reinterpret_cast<uint8_t*>(chunk + 1);
    chunk->used = 0;
    chunk->next = nullptr;
    if (previous) previous->next = chunk;
    return chunk;
}

void* FrameMemory::Alloc(size_t size, size_t alignment) {
    if (!current_) return nullptr;
    if (alignment == 0 || (alignment & (alignment - 1)) != 0) return nullptr;
    // Checked piece by piece: size + alignment - 1 could wrap for a huge size.
    if (size > chunkSize_ || alignment - 1 > chunkSize_ - size) return nullptr;
    const uint32_t charge = static_cast<uint32_t>(size + alignment - 1);
    if (charge > chunkSize_ - current_->used) {
        current_ = NewChunk(current_);
        if (!current_) return nullptr;
    }
    const uintptr_t at = reinterpret_cast<uintptr_t>(current_->data) + current_->used;
    const uintptr_t aligned = (at + alignment - 1) & ~static_cast<uintptr_t>(alignment - 1);
    current_->used += charge;
    total_ += charge;
    ++count_;
    return current_->data + (aligned - reinterpret_cast<uintptr_t>(current_->data));
}

char* FrameMemory::StrDup(const char* text) {
    if (!text) return nullptr;
    const size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(Alloc(size, 1));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

void FrameMemory::Release() {
    for (Chunk* chunk = first_; chunk;) {
        Chunk* next = chunk->next;
        FreeRaw(chunk);
        chunk = next;
    }
    first_ = nullptr;
    current_ = nullptr;
    total_ = 0;
    count_ = 0;
    chunkSize_ = 0;
}

}  // namespace Utils
