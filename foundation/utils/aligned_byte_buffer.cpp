// Utils::AlignedByteBuffer: storage, growth and the flagged reads and writes.
#include "foundation/utils/aligned_byte_buffer.h"

#include <algorithm>
#include <cstring>

#include "foundation/utils/raw_memory.h"

namespace Utils {

namespace {

constexpr uint32_t kAlignSlack = 3;

uint8_t* Aligned(void* raw) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(raw);
    return static_cast<uint8_t*>(raw) + (((at + kAlignSlack) & ~uintptr_t{kAlignSlack}) - at);
}

}  // namespace

bool AlignedByteBuffer::Init(uint32_t capacity) {
    Release();
    increment_ = capacity;
    return Allocate(capacity);
}

void AlignedByteBuffer::Reset() {
    FreeRaw(raw_);
    raw_ = nullptr;
    data_ = nullptr;
    flags_ = cursor_ = length_ = capacity_ = 0;
    Allocate(increment_);
}

bool AlignedByteBuffer::Allocate(uint32_t capacity) {
    raw_ = AllocRaw(size_t{capacity} + kAlignSlack);
    if (!raw_) {
        flags_ |= kAllocFailed;
        return false;
    }
    data_ = Aligned(raw_);
    capacity_ = capacity;
    return true;
}

// Resizing in place where the allocator can (a large block is remapped, not copied), so
// a buffer that grows by a small increment does not copy its whole image at every step.
bool AlignedByteBuffer::Regrow(uint32_t capacity) {
    const size_t offset = static_cast<size_t>(data_ - static_cast<uint8_t*>(raw_));
    void* raw = ResizeRaw(raw_, size_t{capacity} + kAlignSlack);
    if (!raw) return false;
    uint8_t* data = Aligned(raw);
    if (data != static_cast<uint8_t*>(raw) + offset)
        std::memmove(data, static_cast<uint8_t*>(raw) + offset, length_);
    raw_ = raw;
    data_ = data;
    capacity_ = capacity;
    return true;
}

void AlignedByteBuffer::Release() {
    FreeRaw(raw_);
    raw_ = nullptr;
    data_ = nullptr;
    flags_ = increment_ = cursor_ = length_ = capacity_ = 0;
}

void AlignedByteBuffer::Reserve(uint32_t n) {
    if (!data_) {
        flags_ |= kAllocFailed;
        return;
    }
    if (n >= capacity_) {
        const uint64_t capacity = std::max(uint64_t{n} + increment_, uint64_t{capacity_} * 2);
        if (capacity > UINT32_MAX || !Regrow(static_cast<uint32_t>(capacity))) {
            flags_ |= kAllocFailed;
            return;
        }
    }
    // Bytes a length takes in before they are written read as zero, never as old heap.
    if (n > length_) {
        std::memset(data_ + length_, 0, n - length_);
        length_ = n;
    }
}

// Reserves cursor + count; false when flag 1 is set, now or from before. After a failure
// nothing changes any more, so the length never covers bytes that were not written.
bool AlignedByteBuffer::ReserveAtCursor(size_t count) {
    if (flags_ & kAllocFailed) return false;
    if (count > UINT32_MAX - cursor_)
        flags_ |= kAllocFailed;
    else
        Reserve(static_cast<uint32_t>(cursor_ + count));
    return (flags_ & kAllocFailed) == 0;
}

void AlignedByteBuffer::AppendUInt32(uint32_t value) {
    if (!ReserveAtCursor(4)) return;
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    std::memcpy(data_ + cursor_, bytes, 4);
    cursor_ += 4;
}

void AlignedByteBuffer::AppendBytes(const void* bytes, size_t count) {
    if (!ReserveAtCursor(count)) return;
    if (count > 0) std::memcpy(data_ + cursor_, bytes, count);
    cursor_ += static_cast<uint32_t>(count);
}

void AlignedByteBuffer::ReadUInt32(uint32_t& value) {
    if (length_ - cursor_ < 4) {
        flags_ |= kReadPastEnd;
        return;
    }
    uint8_t bytes[4] = {};
    ReadBytes(bytes, 4);
    value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
            uint32_t{bytes[3]} << 24;
}

void AlignedByteBuffer::ReadBytes(void* out, size_t count) {
    if (count > length_ - cursor_) {
        flags_ |= kReadPastEnd;
        return;
    }
    if (count > 0) std::memcpy(out, data_ + cursor_, count);
    cursor_ += static_cast<uint32_t>(count);
}

void AlignedByteBuffer::Seek(uint64_t position) {
    if (position > length_) {
        flags_ |= kReadPastEnd;
        return;
    }
    cursor_ = static_cast<uint32_t>(position);
}

}  // namespace Utils
