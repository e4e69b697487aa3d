// Utils::Array<T,N>: growable element storage whose capacity grows in whole steps of N
// elements. The element count belongs to the owner (a thread's pending messages and wait
// blocks, a function's line table, the delay heap), so the array only keeps the room.
// Elements are plain records, copied bytewise when the storage moves.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "foundation/utils/raw_memory.h"

namespace Utils {

template <class T, uint32_t N> class Array {
    static_assert(N > 0, "the growth step is at least one element");
    static_assert(std::is_trivially_copyable_v<T>, "elements move bytewise");

  public:
    Array() = default;
    virtual ~Array() { FreeRaw(data_); }
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    // Makes index n usable: below the capacity nothing happens, otherwise the capacity
    // becomes the smallest multiple of N above n, the old elements are kept and the new
    // ones zeroed. False (nothing changed) when the storage cannot be had.
    bool Reserve(uint32_t n) {
        if (n < capacity_) return true;
        const uint64_t capacity = uint64_t{n} / N * N + N;
        if (capacity > UINT32_MAX) return false;
        auto* data = static_cast<T*>(AllocRaw(capacity * sizeof(T)));
        if (!data) return false;
        if (capacity_ > 0) std::memcpy(data, data_, size_t{capacity_} * sizeof(T));
        std::memset(static_cast<void*>(data + capacity_), 0, (capacity - capacity_) * sizeof(T));
        FreeRaw(data_);
        data_ = data;
        capacity_ = static_cast<uint32_t>(capacity);
        return true;
    }

    uint32_t Capacity() const { return capacity_; }
    T* Data() { return data_; }
    const T* Data() const { return data_; }
    T& operator[](uint32_t i) { return data_[i]; }
    const T& operator[](uint32_t i) const { return data_[i]; }

  private:
    uint32_t capacity_ = 0;
    T* data_ = nullptr;
};

}  // namespace Utils
