// Kiv::DynamicBuffer: a growable block of memory with a position, an allocated length and a
// data length (the bytes written so far, gaps included). Writes grow the block in multiples
// of the grow step, at least by half its size, so long runs of small writes stay linear;
// bytes never written read as zero. Growth that fails throws std::bad_alloc, which byte
// streams turn into their out-of-memory error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kiv {

class DynamicBuffer {
public:
    explicit DynamicBuffer(size_t initialSize = 0, size_t growStep = 512);

    // size * count bytes at the position, which advances; returns the bytes moved. A write
    // past the allocated length grows the block; a read stops at the data length.
    size_t Write(const void* source, size_t size, size_t count);
    size_t Read(void* destination, size_t size, size_t count);
    // origin 0 start, 1 current, 2 the data length; the position is kept within
    // [0, allocated length]. Returns the new position.
    size_t Seek(int64_t offset, int origin);
    // Allocates bytes more.
    void AddLength(size_t bytes);
    // Position and data length back to 0; the allocation stays (cleared).
    void Clean();

    uint8_t* GetData() { return bytes_.data(); }
    const uint8_t* GetData() const { return bytes_.data(); }
    size_t GetPosition() const { return position_; }
    size_t GetAllocatedLength() const { return bytes_.size(); }
    size_t GetDataLength() const { return dataLength_; }

private:
    void Reserve(size_t needed);

    std::vector<uint8_t> bytes_;
    size_t growStep_;
    size_t position_ = 0;
    size_t dataLength_ = 0;
};

}  // namespace Kiv
