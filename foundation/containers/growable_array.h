// GrowableArray<T>: a contiguous array with an explicit grow step, or a proportional one
// (an eighth of the count, 4 to 1024 items) when the step is 0. Shrinking keeps the
// storage; slots at and beyond the count always hold a value-initialised T, so a record's
// owned text is released as soon as the count drops below it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

template <class T> class GrowableArray {
  public:
    GrowableArray() = default;
    explicit GrowableArray(int32_t growStep) : growStep_(std::max(growStep, 0)) {}
    GrowableArray(const GrowableArray&) = delete;
    GrowableArray& operator=(const GrowableArray&) = delete;

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    int32_t GrowStep() const { return growStep_; }
    T* Data() { return items_.get(); }
    const T* Data() const { return items_.get(); }
    T& operator[](int32_t i) { return items_[i]; }
    const T& operator[](int32_t i) const { return items_[i]; }

    // Sets the count to newCount (a negative count is taken as 0). A newGrowStep of 0 or
    // more replaces the grow step first; -1 keeps it. New items are value-initialised.
    void Resize(int32_t newCount, int32_t newGrowStep = -1) {
        if (newGrowStep >= 0) growStep_ = newGrowStep;
        newCount = std::max(newCount, 0);
        if (newCount > capacity_) Reallocate(GrownCapacity(newCount));
        for (int32_t i = newCount; i < count_; ++i)
            items_[i] = T{};
        count_ = newCount;
    }

    // Reallocates to exactly the count; a count of 0 frees the storage.
    void ShrinkToFit() { Reallocate(count_); }

    // Count 0 with a grow step of 1000; every item is destroyed, the storage is kept.
    void Clear() { Resize(0, 1000); }

    // Count 0 and the storage freed.
    void Free() {
        items_.reset();
        count_ = 0;
        capacity_ = 0;
    }

  private:
    int32_t GrownCapacity(int32_t needed) const {
        int32_t step = growStep_ != 0 ? growStep_ : std::clamp(count_ / 8, 4, 1024);
        int64_t grown = static_cast<int64_t>(capacity_) + step;
        return static_cast<int32_t>(std::clamp<int64_t>(grown, needed, INT32_MAX));
    }

    void Reallocate(int32_t capacity) {
        std::unique_ptr<T[]> items;
        if (capacity > 0) items.reset(new T[capacity]());
        for (int32_t i = 0; i < count_; ++i)
            items[i] = std::move(items_[i]);
        items_ = std::move(items);
        capacity_ = capacity;
    }

    std::unique_ptr<T[]> items_;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    int32_t growStep_ = 0;
};
