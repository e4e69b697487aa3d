// Utils::Queue<T,N>: a first-in first-out ring of items (log texts, message pointers) that
// grows by a fixed increment when full, keeping the items in order from element 0. The
// queue does not own its items. N is kept for the callers' spelling; nothing depends on it.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "foundation/utils/raw_memory.h"

namespace Utils {

template <class T, uint32_t N> class Queue {
    static_assert(std::is_trivially_copyable_v<T>, "items move bytewise");

  public:
    // No storage until the first push.
    explicit Queue(uint32_t increment) : increment_(increment) {}
    virtual ~Queue() {
        FreeRaw(items_);
        items_ = nullptr;
        capacity_ = increment_ = count_ = head_ = tail_ = 0;
    }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    // False, with the queue unchanged, only when a full queue cannot grow.
    bool Push(const T& item) {
        if (count_ == capacity_ && !Grow()) return false;
        items_[tail_] = item;
        tail_ = tail_ + 1 == capacity_ ? 0 : tail_ + 1;
        ++count_;
        return true;
    }

    // Takes the oldest item; false on an empty queue.
    bool Pop(T& item) {
        if (count_ == 0) return false;
        item = items_[head_];
        head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
        --count_;
        return true;
    }

    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Head() const { return head_; }
    uint32_t Tail() const { return tail_; }

  private:
    // Called when full: the items from head to the end of the old storage, then those from
    // 0 up to tail, go to the start of the new one. A zero increment cannot make room.
    bool Grow() {
        const uint64_t capacity = uint64_t{capacity_} + increment_;
        if (increment_ == 0 || capacity > UINT32_MAX) return false;
        auto* items = static_cast<T*>(AllocRaw(capacity * sizeof(T)));
        if (!items) return false;
        const uint32_t firstRun = capacity_ - head_;
        if (count_ > 0) {
            std::memcpy(items, items_ + head_, size_t{firstRun} * sizeof(T));
            std::memcpy(items + firstRun, items_, size_t{tail_} * sizeof(T));
        }
        FreeRaw(items_);
        items_ = items;
        capacity_ = static_cast<uint32_t>(capacity);
        head_ = 0;
        tail_ = count_;
        return true;
    }

    T* items_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t increment_;
    uint32_t count_ = 0;
    uint32_t head_ = 0;
    uint32_t tail_ = 0;
};

}  // namespace Utils
