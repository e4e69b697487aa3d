// Growth of FloatArray.
#include "foundation/containers/float_array.h"

#include <algorithm>
#include <new>

void FloatArray::Grow(int32_t capacity, int32_t multiple) {
    if (capacity <= capacity_) return;
    int64_t rounded = (static_cast<int64_t>(capacity) + multiple - 1) / multiple * multiple;
    if (rounded > INT32_MAX) throw std::bad_alloc();
    std::unique_ptr<float[]> items(new float[rounded]());
    if (length_ > 0) std::copy(items_.get(), items_.get() + length_, items.get());
    items_ = std::move(items);
    capacity_ = static_cast<int32_t>(rounded);
}

void FloatArray::SetLength(int32_t length) {
    length = std::max(length, 0);
    Reserve(length);
    if (length > length_) std::fill(items_.get() + length_, items_.get() + length, 0.0f);
    length_ = length;
}
