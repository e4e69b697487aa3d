// Utils::AlignedByteBuffer: a growable byte image on a 4-byte boundary, in which the
// compiler builds a script library and from which the loader reads one. Errors are sticky
// flags checked once at the end: 1, a storage allocation failed (later appends write
// nothing); 2, a read or seek went past the end (the cursor does not move). Both stay set
// until Init or Reset; after a failed allocation nothing more is written. Words are
// little-endian. Storage grows to the wanted length plus the increment, or to twice its
// capacity when that is more (so a small first block costs nothing when the buffer grows
// long), and bytes a length takes in before they are written read as zero.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Utils {

class AlignedByteBuffer {
  public:
    static constexpr uint32_t kAllocFailed = 1;
    static constexpr uint32_t kReadPastEnd = 2;

    AlignedByteBuffer() = default;
    ~AlignedByteBuffer() { Release(); }
    AlignedByteBuffer(const AlignedByteBuffer&) = delete;
    AlignedByteBuffer& operator=(const AlignedByteBuffer&) = delete;

    // Frees any storage; flags, cursor and length 0; increment and capacity `capacity`.
    // False (flag 1 set) when the storage cannot be had.
    bool Init(uint32_t capacity);
    // Fresh storage of `increment` bytes; flags, cursor and length 0.
    void Reset();
    // Frees the storage and zeroes every field.
    void Release();

    // Room for length n, growing to n + increment (or twice the capacity, when more) when n
    // reaches the capacity; the length
    // becomes n when that is more. Flag 1 when there is no storage or it cannot grow.
    void Reserve(uint32_t n);
    void AppendUInt32(uint32_t value);
    void AppendBytes(const void* bytes, size_t count);
    // Reads a word at the cursor; flag 2, `value` untouched, when fewer than 4 bytes are left.
    void ReadUInt32(uint32_t& value);
    // Copies `count` bytes at the cursor; flag 2, `out` untouched, when fewer are left.
    void ReadBytes(void* out, size_t count);
    // Moves the cursor; flag 2, cursor unchanged, for a position past the length.
    void Seek(uint64_t position);

    uint32_t Flags() const { return flags_; }
    uint32_t Increment() const { return increment_; }
    uint32_t Cursor() const { return cursor_; }
    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return capacity_; }
    uint8_t* Data() { return data_; }
    const uint8_t* Data() const { return data_; }

  private:
    bool Allocate(uint32_t capacity);
    bool Regrow(uint32_t capacity);
    bool ReserveAtCursor(size_t count);

    uint32_t flags_ = 0;
    uint32_t increment_ = 0;
    uint32_t cursor_ = 0;
    uint32_t length_ = 0;
    uint32_t capacity_ = 0;
    uint8_t* data_ = nullptr;
    void* raw_ = nullptr;
};

}  // namespace Utils
