// Memory of the engine layer: the allocator that the program's own containers and objects
// use (Kiv::Alloc), named heaps that count what they hand out (Kiv::PackedHeap), interlocked
// counters (Kiv::ProtectedLong) and the counted base of shared engine objects
// (Kiv::ReferenceCount). An allocation that cannot be satisfied throws std::bad_alloc,
// which the guarded command run turns into the process's end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace Kiv {

class PackedHeap {
public:
    explicit PackedHeap(const char* name) : name_(name) {}
    void* Allocate(size_t size);
    void Free(void* memory, size_t size);
    const char* Name() const { return name_; }
    int64_t BytesInUse() const { return bytes_.load(std::memory_order_relaxed); }

private:
    const char* name_;
    std::atomic<int64_t> bytes_{0};
};

namespace Alloc {
template <class T, class... Args>
T* New(Args&&... args) { return new T(std::forward<Args>(args)...); }
template <class T>
void Delete(T* object) { delete object; }
void* Raw(size_t size);       // uninitialised bytes, freed with FreeRaw
void FreeRaw(void* memory);
// A Raw block at a new size, its bytes kept up to the smaller size; it may move. On
// failure std::bad_alloc is thrown and the old block stays as it was.
void* ResizeRaw(void* memory, size_t size);
}  // namespace Alloc

class ProtectedLong {
public:
    explicit ProtectedLong(int32_t value = 0) : value_(value) {}
    int32_t Increment() { return value_.fetch_add(1, std::memory_order_acq_rel) + 1; }
    int32_t Decrement() { return value_.fetch_sub(1, std::memory_order_acq_rel) - 1; }
    int32_t Get() const { return value_.load(std::memory_order_acquire); }

private:
    std::atomic<int32_t> value_;
};

// Counted engine object: starts with one reference; the last ReleaseReference deletes it.
class ReferenceCount {
public:
    virtual ~ReferenceCount() = default;
    void AddReference() { count_.Increment(); }
    void ReleaseReference() {
        if (count_.Decrement() == 0) delete this;
    }
    int32_t ReferenceCountValue() const { return count_.Get(); }

protected:
    ReferenceCount() : count_(1) {}

private:
    ProtectedLong count_;
};

}  // namespace Kiv

// The shared heap under the standard containers of the program.
extern Kiv::PackedHeap g_kivSTLAllocHeap;
