// Growth of the granular byte buffers.
#include "foundation/containers/byte_buffers.h"

#include <cstring>
#include <new>

void GranularBuffer::Reserve(size_t needed) {
    if (needed <= capacity_) return;
    size_t blocks = needed / granularity_ + (needed % granularity_ != 0);
    if (blocks > SIZE_MAX / granularity_) throw std::bad_alloc();
    size_t capacity = blocks * granularity_;
    std::unique_ptr<uint8_t[]> data(new uint8_t[capacity]());
    if (length_) std::memcpy(data.get(), data_.get(), length_);
    data_ = std::move(data);
    capacity_ = capacity;
}

void GranularBuffer::SetLength(size_t length) {
    Reserve(length);
    if (length > length_) std::memset(data_.get() + length_, 0, length - length_);
    length_ = length;
}

void GranularBuffer::Append(const void* bytes, size_t count) {
    if (count == 0) return;
    if (count > SIZE_MAX - length_) throw std::bad_alloc();
    Reserve(length_ + count);
    std::memcpy(data_.get() + length_, bytes, count);
    length_ += count;
}
