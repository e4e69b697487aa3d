// Growth, reads, writes and seeks of Kiv::DynamicBuffer.
#include "engine/dynamic_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Kiv {

DynamicBuffer::DynamicBuffer(size_t initialSize, size_t growStep)
    : bytes_(initialSize), growStep_(growStep ? growStep : 1) {}

void DynamicBuffer::Reserve(size_t needed) {
    if (needed <= bytes_.size()) return;
    size_t wanted = std::max(needed, bytes_.size() + bytes_.size() / 2);
    size_t rounded = 0;
    if (__builtin_add_overflow(wanted, growStep_ - 1, &rounded)) throw std::bad_alloc();
    rounded -= rounded % growStep_;
    if (rounded > bytes_.max_size()) throw std::bad_alloc();
    bytes_.resize(rounded);
}

size_t DynamicBuffer::Write(const void* source, size_t size, size_t count) {
    size_t bytes = 0, end = 0;
    if (!source || __builtin_mul_overflow(size, count, &bytes) ||
        __builtin_add_overflow(position_, bytes, &end))
        return 0;
    if (bytes == 0) return 0;
    Reserve(end);
    std::memcpy(bytes_.data() + position_, source, bytes);
    position_ = end;
    dataLength_ = std::max(dataLength_, end);
    return bytes;
}

size_t DynamicBuffer::Read(void* destination, size_t size, size_t count) {
    size_t bytes = 0;
    if (!destination || __builtin_mul_overflow(size, count, &bytes)) return 0;
    size_t available = dataLength_ > position_ ? dataLength_ - position_ : 0;
    bytes = std::min(bytes, available);
    if (bytes == 0) return 0;
    std::memcpy(destination, bytes_.data() + position_, bytes);
    position_ += bytes;
    return bytes;
}

size_t DynamicBuffer::Seek(int64_t offset, int origin) {
    int64_t base = origin == 1 ? static_cast<int64_t>(position_)
                 : origin == 2 ? static_cast<int64_t>(dataLength_)
                               : 0;
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) target = 0;
    position_ = std::min(static_cast<size_t>(target), bytes_.size());
    return position_;
}

void DynamicBuffer::AddLength(size_t bytes) {
    size_t wanted = 0;
    if (__builtin_add_overflow(bytes_.size(), bytes, &wanted) || wanted > bytes_.max_size())
        throw std::bad_alloc();
    bytes_.resize(wanted);
}

void DynamicBuffer::Clean() {
    if (dataLength_ > 0) std::memset(bytes_.data(), 0, dataLength_);
    position_ = 0;
    dataLength_ = 0;
}

}  // namespace Kiv
