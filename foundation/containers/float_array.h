// FloatArray: a growable array of floats whose capacity is always rounded up, to a multiple
// of 8 by Reserve or of 128 by Reserve128; growing copies the used items.
#pragma once

#include <cstdint>
#include <memory>

class FloatArray {
  public:
    FloatArray() = default;
    FloatArray(const FloatArray&) = delete;
    FloatArray& operator=(const FloatArray&) = delete;

    int32_t Length() const { return length_; }
    int32_t Capacity() const { return capacity_; }
    float* Data() { return items_.get(); }
    const float* Data() const { return items_.get(); }
    float& operator[](int32_t i) { return items_[i]; }
    float operator[](int32_t i) const { return items_[i]; }

    // Room for at least capacity items, rounded up to a multiple of 8 (of 128).
    void Reserve(int32_t capacity) { Grow(capacity, 8); }
    void Reserve128(int32_t capacity) { Grow(capacity, 128); }
    // Reserves as Reserve does, then sets the length; new items are 0.
    void SetLength(int32_t length);

  private:
    void Grow(int32_t capacity, int32_t multiple);

    int32_t length_ = 0;
    int32_t capacity_ = 0;
    std::unique_ptr<float[]> items_;
};
