// GSArray: a script array (int[], float[], bool[], or an array of object or string
// references). Value arrays copy their cells bit for bit; reference arrays own one count of
// every non-null cell. Growth, ranges and stores follow one range rule (see gs_array.cpp);
// every operation that fails, an allocation included, returns false with the array as it was.
// The storage counts against the budget of the array's context (gs_memory_budget.h).
#pragma once

#include <cstdint>

#include "script_runtime/gs_script_instance.h"

class GSClass;
class GSContext;
class GSMemoryBudget;

class GSArray : public GSObjectReference {
  public:
    enum ElementKind : uint8_t { kValues = 0, kReferences = 1 };

    GSArray(GSContext* context, uint8_t elementKind);
    ~GSArray() override;

    GSSlot* GetReference() override { return &embedded_.reference; }
    GSScriptInstance& Header() { return embedded_.header; }

    int32_t Count() const { return count_; }
    uint8_t ElementKind() const { return elementKind_; }
    bool HoldsReferences() const { return elementKind_ != kValues; }
    const GSSlot* Elements() const { return elements_; }

    // n < 1 empties the array; n above the count grows it with zero cells; otherwise nothing.
    // False, the array unchanged, when the storage cannot be had.
    bool Resize(int32_t n);
    bool SetInt(int32_t index, int32_t value) {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(count_)) return SetIntGrowing(index, value);
        elements_[index] = GSIntSlot(value);
        return true;
    }
    bool GetInt(int32_t index, int32_t& value) const;
    // With keep set the caller keeps its count and the array takes one of its own; with
    // keep clear the caller's count passes to the array (or is released on a failure).
    bool SetObject(int32_t index, GSSlot* reference, bool keep, GSClass* asClass);
    // Element index into out, a reference added when asked; null and false outside the array.
    bool GetObject(int32_t index, GSSlot*& out, bool addReference) const;

    static bool CopyRange(GSArray& destination, const GSArray& source, int32_t from, int32_t to);
    static bool ReplaceRange(GSArray& array, int32_t from, int32_t to, const GSArray* other);

    void AddReferences(int32_t count, int32_t index);
    void ReleaseReferences(int32_t count, int32_t index);

  private:
    // The budget of the array's context, which its storage counts against.
    GSMemoryBudget* Budget();
    bool SetIntGrowing(int32_t index, int32_t value);
    void FreeCells();
    // The array's storage becomes exactly these count cells.
    void TakeCells(GSSlot* cells, int32_t count);
    void AddCellReferences(const GSSlot* cells, int32_t count) const;

    GSSlot* elements_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;  // cells allocated; those past count_ are zero
    uint8_t elementKind_;
    GSEmbeddedInstance embedded_;
};
