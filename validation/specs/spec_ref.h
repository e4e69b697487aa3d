// SpecRef: a holder of one counted use of a spec. Assigning adds a use to the new spec
// before releasing the old one, so assigning a holder its own spec is safe; the holder
// releases its use when it goes. Adopt takes over a use a look-up already added.
#pragma once

#include "validation/specs/gizmorix_spec.h"

class SpecRef {
  public:
    SpecRef() = default;
    // Adds a use of spec.
    explicit SpecRef(GizmorixSpec* spec) { Assign(spec); }
    SpecRef(const SpecRef& other) { Assign(other.spec_); }
    SpecRef(SpecRef&& other) noexcept : spec_(other.spec_) { other.spec_ = nullptr; }
    SpecRef& operator=(const SpecRef& other) {
        Assign(other.spec_);
        return *this;
    }
    ~SpecRef() { ReleaseUse(); }

    // A holder of the use the caller already holds (what FindSpec and the look-ups give).
    static SpecRef Adopt(GizmorixSpec* counted) {
        SpecRef ref;
        ref.spec_ = counted;
        return ref;
    }

    void Assign(GizmorixSpec* spec) {
        if (spec != nullptr) spec->AddUse();
        GizmorixSpec* old = spec_;
        spec_ = spec;
        if (old != nullptr) old->ReleaseUse();
    }
    void ReleaseUse() { Assign(nullptr); }

    GizmorixSpec* Get() const { return spec_; }
    GizmorixSpec* operator->() const { return spec_; }
    explicit operator bool() const { return spec_ != nullptr; }

  private:
    GizmorixSpec* spec_ = nullptr;
};
