// Utils::PriorityQueue<Message>: the router's delay heap, a 1-based min-heap of message
// pointers ordered by due time. The key is the low 30 bits of the message's time word
// (Message::TimeWord()), compared plainly, without wrap-around. Element 0 stays null above
// the root. Equal keys never pass each other upward, so of two messages due together the
// one pushed first comes out first. The queue does not own the messages.
#pragma once

#include <cstdint>

#include "foundation/utils/array.h"

namespace Utils {

template <class Message> class PriorityQueue {
  public:
    static constexpr uint32_t kKeyMask = 0x3FFFFFFF;

    PriorityQueue() { Clear(); }
    virtual ~PriorityQueue() { count_ = 0; }
    PriorityQueue(const PriorityQueue&) = delete;
    PriorityQueue& operator=(const PriorityQueue&) = delete;

    // False, with the heap unchanged, when the storage cannot grow.
    bool Push(Message* item) {
        if (!storage_.Reserve(count_ + 1)) return false;
        ++count_;
        storage_[count_] = item;
        SiftUp(count_);
        return true;
    }

    // The item at element i (1 <= i <= count) taken out, or null for another index.
    Message* RemoveAt(uint32_t i) {
        if (i < 1 || i > count_) return nullptr;
        Message* removed = storage_[i];
        Message* last = storage_[count_];
        storage_[count_] = nullptr;
        --count_;
        if (i > count_) return removed;
        storage_[i] = last;
        if (SiftDown(i) == i && i > 1 && Key(last) < Key(storage_[i / 2])) SiftUp(i);
        return removed;
    }

    // The earliest item taken out, or null when empty.
    Message* Pop() { return RemoveAt(1); }

    // The item at element i (1 is the earliest), or null outside 1..count.
    Message* At(uint32_t i) const { return i >= 1 && i <= count_ ? storage_[i] : nullptr; }
    uint32_t Count() const { return count_; }

    // Empty, with room for the sentinel only.
    void Clear() {
        count_ = 0;
        if (storage_.Reserve(0)) storage_[0] = nullptr;
    }

  private:
    static uint32_t Key(const Message* item) { return item->TimeWord() & kKeyMask; }

    void SiftUp(uint32_t i) {
        Message* item = storage_[i];
        while (i > 1 && Key(item) < Key(storage_[i / 2])) {
            storage_[i] = storage_[i / 2];
            i /= 2;
        }
        storage_[i] = item;
    }

    // Returns where the item came to rest.
    uint32_t SiftDown(uint32_t i) {
        Message* item = storage_[i];
        while (i <= count_ / 2) {
            uint32_t child = 2 * i;
            if (child < count_ && Key(storage_[child + 1]) < Key(storage_[child])) ++child;
            if (Key(item) < Key(storage_[child])) break;
            storage_[i] = storage_[child];
            i = child;
        }
        storage_[i] = item;
        return i;
    }

    Array<Message*, 32> storage_;
    uint32_t count_ = 0;
};

}  // namespace Utils
