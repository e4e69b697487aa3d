// ReferenceCountMP: the counted base of objects shared between threads (the soup chunks).
// A new object holds one reference; the count changes only with interlocked operations and
// the release that takes it to 0 destroys the object through its virtual destructor.
#pragma once

#include <cstdint>

#include "engine/alloc.h"

class ReferenceCountMP {
  public:
    ReferenceCountMP(const ReferenceCountMP&) = delete;
    ReferenceCountMP& operator=(const ReferenceCountMP&) = delete;
    virtual ~ReferenceCountMP() = default;

    void AddRef() { count_.Increment(); }
    int32_t RefCount() const { return count_.Get(); }

    // Drops one reference of object; nothing for null.
    static void ReleaseRef(ReferenceCountMP* object) {
        if (object && object->count_.Decrement() == 0) delete object;
    }

  protected:
    ReferenceCountMP() : count_(1) {}

  private:
    Kiv::ProtectedLong count_;
};
