// Script arrays. The range rule: a negative start becomes 0; a negative end (or, where the
// operation says so, an end beyond the count) becomes the count; an end below the start
// fails and changes nothing.
#include "script_runtime/gs_array.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"

namespace {

// Zeroed cells counted into the budget (when there is one), or null when they cannot be had.
GSSlot* NewCells(GSMemoryBudget* budget, int64_t count) {
    if (count <= 0) return nullptr;
    if (static_cast<uint64_t>(count) > GSMaxObjectStorage() / sizeof(GSSlot)) return nullptr;
    const size_t bytes = sizeof(GSSlot) * static_cast<size_t>(count);
    if (budget && !budget->Charge(bytes)) return nullptr;
    GSSlot* cells = new (std::nothrow) GSSlot[static_cast<size_t>(count)]();
    if (!cells && budget) budget->Release(bytes);
    return cells;
}

void DeleteCells(GSMemoryBudget* budget, GSSlot* cells, int32_t count) {
    if (!cells) return;
    delete[] cells;
    if (budget) budget->Release(sizeof(GSSlot) * static_cast<size_t>(count));
}

GSTrackedObjectRegistry* RegistryOf(GSContext* context) {
    return context ? &context->Registry() : nullptr;
}

}  // namespace

GSArray::GSArray(GSContext* context, uint8_t elementKind)
    : GSObjectReference(GS_REFERENCE_ARRAY),
      elementKind_(elementKind),
      embedded_(RegistryOf(context), this) {}

GSArray::~GSArray() { Resize(0); }

GSMemoryBudget* GSArray::Budget() { return GSMemoryBudgetOf(Header().GetContext()); }

void GSArray::FreeCells() {
    DeleteCells(Budget(), elements_, capacity_);
    elements_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

void GSArray::TakeCells(GSSlot* cells, int32_t count) {
    DeleteCells(Budget(), elements_, capacity_);
    elements_ = cells;
    count_ = count;
    capacity_ = count;
}

// Growth doubles the storage (within the storage limit), so an array stored into one index
// past its end at a time is copied a logarithmic number of times, not once per element.
bool GSArray::Resize(int32_t n) {
    if (n < 1) {
        ReleaseReferences(count_, 0);
        FreeCells();
        return true;
    }
    if (n <= count_) return true;
    if (n > capacity_) {
        const int64_t limit = static_cast<int64_t>(std::min<size_t>(GSMaxObjectStorage() / sizeof(GSSlot), INT32_MAX));
        int64_t capacity = std::max<int64_t>(n, std::min<int64_t>(int64_t{capacity_} * 2, limit));
        GSSlot* cells = NewCells(Budget(), capacity);
        if (!cells && capacity > n) cells = NewCells(Budget(), capacity = n);
        if (!cells) return false;
        if (count_ > 0) std::memcpy(cells, elements_, sizeof(GSSlot) * static_cast<size_t>(count_));
        DeleteCells(Budget(), elements_, capacity_);
        elements_ = cells;
        capacity_ = static_cast<int32_t>(capacity);
    } else {
        std::memset(static_cast<void*>(elements_ + count_), 0, sizeof(GSSlot) * static_cast<size_t>(n - count_));
    }
    count_ = n;
    return true;
}

bool GSArray::SetIntGrowing(int32_t index, int32_t value) {
    if (index < 0) return false;
    if (index >= count_ && (index == INT32_MAX || !Resize(index + 1))) return false;
    elements_[index] = GSIntSlot(value);
    return true;
}

bool GSArray::GetInt(int32_t index, int32_t& value) const {
    if (index < 0 || index >= count_) return false;
    value = elements_[index].i;
    return true;
}

bool GSArray::SetObject(int32_t index, GSSlot* reference, bool keep, GSClass* asClass) {
    auto refuse = [&] {
        if (!keep) GSReleaseReference(reference);
        return false;
    };
    if (reference && !GSMayStoreAcross(Header().GetContext(), reference)) {
        if (!keep) GSReleaseReference(reference);
        reference = nullptr;
    }
    if (reference && asClass) {
        GSSlot* view = GSScriptInstance::CastTo(asClass, GSInstanceOf(reference));
        if (!view && !keep) GSReleaseReference(reference);
        reference = view;
    }
    if (index < 0) return refuse();
    if (index >= count_ && (index == INT32_MAX || !Resize(index + 1))) return refuse();
    GSSlot* old = static_cast<GSSlot*>(elements_[index].p);
    if (keep) GSAddReference(reference);
    elements_[index] = GSPointerSlot(reference);
    GSReleaseReference(old);
    return true;
}

bool GSArray::GetObject(int32_t index, GSSlot*& out, bool addReference) const {
    out = nullptr;
    if (index < 0 || index >= count_) return false;
    out = static_cast<GSSlot*>(elements_[index].p);
    if (addReference) GSAddReference(out);
    return true;
}

void GSArray::AddReferences(int32_t count, int32_t index) {
    if (!HoldsReferences() || index < 0 || index >= count_) return;
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(int64_t{index} + count, count_));
    for (int32_t i = index; i < end; ++i) GSAddReference(static_cast<GSSlot*>(elements_[i].p));
}

void GSArray::ReleaseReferences(int32_t count, int32_t index) {
    if (!HoldsReferences() || index < 0 || index >= count_) return;
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(int64_t{index} + count, count_));
    for (int32_t i = index; i < end; ++i) {
        GSSlot* value = static_cast<GSSlot*>(elements_[i].p);
        elements_[i] = GSSlot{};
        GSReleaseReference(value);
    }
}

bool GSArray::CopyRange(GSArray& destination, const GSArray& source, int32_t from, int32_t to) {
    if (from < 0) from = 0;
    if (to < 0 || to > source.count_) to = source.count_;
    if (to < from || destination.elementKind_ != source.elementKind_) return false;
    const int32_t count = to - from;
    GSSlot* cells = NewCells(destination.Budget(), count);
    if (count > 0 && !cells) return false;
    if (count > 0) std::memcpy(cells, source.elements_ + from, sizeof(GSSlot) * static_cast<size_t>(count));
    destination.AddCellReferences(cells, count);
    destination.Resize(0);
    destination.TakeCells(cells, count);
    return true;
}

bool GSArray::ReplaceRange(GSArray& array, int32_t from, int32_t to, const GSArray* other) {
    if (from < 0) from = 0;
    if (to < 0) to = array.count_;
    if (to < from || (other && other->elementKind_ != array.elementKind_)) return false;
    const int64_t head = std::min(from, array.count_);
    const int64_t gap = std::max<int64_t>(int64_t{from} - array.count_, 0);
    const int64_t inserted = other ? other->count_ : 0;
    const int64_t tail = to < array.count_ ? array.count_ - to : 0;
    const int64_t total = head + gap + inserted + tail;
    if (total > INT32_MAX) return false;
    GSSlot* cells = NewCells(array.Budget(), total);
    if (total > 0 && !cells) return false;
    auto copy = [](GSSlot* at, const GSSlot* from, int64_t count) {
        if (count > 0) std::memcpy(at, from, sizeof(GSSlot) * static_cast<size_t>(count));
    };
    copy(cells, array.elements_, head);
    if (inserted > 0) copy(cells + head + gap, other->elements_, inserted);
    copy(cells + head + gap + inserted, array.elements_ + to, tail);
    // The inserted cells gain their counts before the replaced ones lose theirs, so an
    // array replaced into itself never frees what it is about to hold.
    if (inserted > 0) array.AddCellReferences(cells + head + gap, static_cast<int32_t>(inserted));
    array.ReleaseReferences(to - from, from);
    array.TakeCells(cells, static_cast<int32_t>(total));
    return true;
}

void GSArray::AddCellReferences(const GSSlot* cells, int32_t count) const {
    if (!HoldsReferences()) return;
    for (int32_t i = 0; i < count; ++i) GSAddReference(static_cast<GSSlot*>(cells[i].p));
}
