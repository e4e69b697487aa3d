// GSMemoryBudget: the storage a context's arrays and strings hold together, against a limit
// the host may set (256 MB unless it does). Growth asks before it allocates and fails, as a
// growth the allocator refuses fails, when the bytes would pass the limit; storage given
// back is counted off. One budget per context, so one script cannot take the process's
// memory however it spreads its data.
#pragma once

#include <cstddef>

inline constexpr size_t kGSDefaultMemoryBudget = size_t{256} << 20;

class GSMemoryBudget {
  public:
    size_t Limit() const { return limit_; }
    void SetLimit(size_t bytes) { limit_ = bytes; }
    size_t InUse() const { return inUse_; }

    // Counts the bytes in; false, nothing counted, when they would pass the limit.
    bool Charge(size_t bytes) {
        if (bytes > limit_ || inUse_ > limit_ - bytes) return false;
        inUse_ += bytes;
        return true;
    }
    // Counts the bytes in whatever the limit (storage made where nothing can fail); the next
    // growth then fails.
    void Force(size_t bytes) { inUse_ += bytes; }
    void Release(size_t bytes) { inUse_ -= bytes < inUse_ ? bytes : inUse_; }

  private:
    size_t limit_ = kGSDefaultMemoryBudget;
    size_t inUse_ = 0;
};

class GSContext;

// The budget of a context; null for no context (storage then bound only by the per-object
// limit of gs_context_heap.h).
GSMemoryBudget* GSMemoryBudgetOf(GSContext* context);
