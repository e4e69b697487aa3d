// ReferenceArray: an array of reference-counted engine objects (chunks, materials) holding
// one reference per item. Mesh instances share one between them (SharedReferenceArray)
// until one of them needs its own copy.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace Kiv {

template <typename T>
class ReferenceArray {
public:
    ReferenceArray() = default;
    explicit ReferenceArray(const std::vector<T*>& items) : items_(items) {
        for (T* item : items_) {
            if (item) item->AddReference();
        }
    }
    ReferenceArray(const ReferenceArray& other) : ReferenceArray(other.items_) {}
    ReferenceArray& operator=(const ReferenceArray&) = delete;
    ~ReferenceArray() {
        for (T* item : items_) {
            if (item) item->ReleaseReference();
        }
    }

    size_t size() const { return items_.size(); }
    T* operator[](size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
    T* const* data() const { return items_.data(); }
    const std::vector<T*>& Items() const { return items_; }
    // Item i becomes item, whose reference the array takes over.
    void Replace(size_t i, T* item) {
        if (items_[i]) items_[i]->ReleaseReference();
        items_[i] = item;
    }
    // Appends item, taking over its reference.
    void Append(T* item) { items_.push_back(item); }

private:
    std::vector<T*> items_;
};

template <typename T>
using SharedReferenceArray = std::shared_ptr<ReferenceArray<T>>;

template <typename T>
SharedReferenceArray<T> MakeSharedArray(const std::vector<T*>& items) {
    return std::make_shared<ReferenceArray<T>>(items);
}

}  // namespace Kiv
