// GSStackKinds: what the typed verifier (gs_kind_verifier.h) proved of a function's
// evaluation stack (the slots above the frame record) before each instruction it reached.
// The error exit of a failed run reads it to release the references the stack still holds,
// since a slot carries no tag of its own at run time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "script_runtime/gs_slot_kind.h"

// One picture per instruction, bottom first: GS_KIND_VALUE, GS_KIND_REFERENCE,
// GS_KIND_EITHER for a constant zero, GS_KIND_TAGGED for a call's result whose kind only the
// stack's tag of the slot tells.
class GSStackKinds {
  public:
    void Clear() { offsets_.clear(), starts_.clear(), kinds_.clear(); }
    // Makes room for this many pictures holding this many kinds in all.
    void Reserve(size_t pictures, size_t kinds);
    // Starts the picture of the instruction at `offset` (offsets come in rising order);
    // Push appends its kinds, bottom first.
    void Begin(uint32_t offset) {
        if (starts_.empty()) starts_.push_back(0);
        offsets_.push_back(offset);
        starts_.push_back(static_cast<uint32_t>(kinds_.size()));
    }
    void Push(GSSlotKind kind) {
        kinds_.push_back(kind);
        ++starts_.back();
    }
    // The picture of the instruction that holds code byte `offset`; false for an offset
    // before the first reached instruction.
    bool At(int32_t offset, std::span<const GSSlotKind>& kinds) const;

  private:
    std::vector<uint32_t> offsets_;
    std::vector<uint32_t> starts_;  // into kinds_; one more than offsets_ once filled
    std::vector<GSSlotKind> kinds_;
};
