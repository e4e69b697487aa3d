// Array instructions other than the hot element load and store: new arrays, size, copies,
// reference elements and ranges. Element and range rules are GSArray's; a new array whose
// storage cannot be had ends the run with ER_ArrayOutOfBounds, as a bad range does.
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_op_hot.h"
#include "script_runtime/gs_op_range_store.h"

namespace GSInterpreter {

namespace {

GSArray* NewArray(uint8_t kind) { return new GSArray(GSContext::Current(), kind); }

template <uint8_t kKind>
bool ArrayNew(GSRun& run) {
    GSArray* array = NewArray(kKind);
    if (run.sp->i > 0 && !array->Resize(run.sp->i)) {
        GSReleaseReference(array->GetReference());
        return run.Fail(ER_ArrayOutOfBounds);
    }
    *run.sp = GSPointerSlot(array->GetReference());
    return true;
}

bool ArraySize(GSRun& run) {
    GSSlot* reference = RefOf(*run.sp);
    if (!reference) return run.Fail(ER_NullArrayReference);
    if (!ArrayOf(reference)) return run.Fail(ER_IllegalInstruction);
    PutInt(*run.sp, ArrayOf(reference)->Count());
    GSReleaseReference(reference);
    return true;
}

// A new array of the source's kind over elements [start, end), references added; null when
// the range is refused or the storage cannot be had.
GSArray* RangeOf(GSArray& source, int32_t start, int32_t end) {
    GSArray* copy = NewArray(source.ElementKind());
    if (GSArray::CopyRange(*copy, source, start, end)) return copy;
    GSReleaseReference(copy->GetReference());
    return nullptr;
}

bool ArrayCopy(GSRun& run) {
    GSSlot* reference = RefOf(*run.sp);
    if (!reference) return run.Fail(ER_NullArrayReference);
    if (!ArrayOf(reference)) return run.Fail(ER_IllegalInstruction);
    GSArray* copy = RangeOf(*ArrayOf(reference), 0, -1);
    if (!copy) return run.Fail(ER_ArrayOutOfBounds);
    *run.sp = GSPointerSlot(copy->GetReference());
    GSReleaseReference(reference);
    return true;
}

bool ArrayLoadObject(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-1]);
    if (!reference) return run.Fail(ER_NullArrayReference);
    if (!ArrayOf(reference, true)) return run.Fail(ER_IllegalInstruction);
    GSSlot* element = nullptr;
    if (!ArrayOf(reference)->GetObject(run.sp->i, element, true)) return run.Fail(ER_ArrayOutOfBounds);
    --run.sp;
    *run.sp = GSPointerSlot(element);
    GSReleaseReference(reference);
    return true;
}

// a, k, r: the array's reference store (cross-context rule, growth); the stack's count
// moves into the array, or, kept, the array takes its own and r stays.
template <bool kKeep>
bool ArrayStoreObject(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-2]);
    if (!reference) return run.Fail(ER_NullArrayReference);
    if (!ArrayOf(reference, true)) return run.Fail(ER_IllegalInstruction);
    const int32_t index = run.sp[-1].i;
    if (index < 0) return run.Fail(ER_ArrayOutOfBounds);
    const GSSlot value = *run.sp;
    if (!ArrayOf(reference)->SetObject(index, RefOf(value), kKeep, nullptr)) {
        if (!kKeep) *run.sp = GSSlot{};  // the refused store released the value's count
        return run.Fail(ER_ArrayOutOfBounds);
    }
    run.sp -= kKeep ? 2 : 3;
    if (kKeep) *run.sp = value;
    GSReleaseReference(reference);
    return true;
}

// a, end, start -> a'.
bool ArrayRange(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-2]);
    if (!reference) return run.Fail(ER_NullArrayReference);
    if (!ArrayOf(reference)) return run.Fail(ER_IllegalInstruction);
    GSArray* range = RangeOf(*ArrayOf(reference), run.sp->i, run.sp[-1].i);
    if (!range) return run.Fail(ER_ArrayOutOfBounds);
    run.sp -= 2;
    *run.sp = GSPointerSlot(range->GetReference());
    GSReleaseReference(reference);
    return true;
}

// The array of a reference, of either element kind (one function for the template).
GSArray* AnyArrayOf(GSSlot* reference) { return ArrayOf(reference); }

template <bool kKeep>
constexpr auto ArrayRangeStore = RangeStore<GSArray, ER_NullArrayReference, AnyArrayOf, kKeep>;

}  // namespace

void FillArrayHandlers(GSOpHandler* table) {
    table[OP_ArrayNew] = ArrayNew<GSArray::kValues>;
    table[OP_ArrayNewObject] = ArrayNew<GSArray::kReferences>;
    table[OP_ArraySize] = ArraySize;
    table[OP_ArrayCopy] = ArrayCopy;
    table[OP_ArrayLoadObject] = ArrayLoadObject;
    table[OP_ArrayStoreObject] = ArrayStoreObject<false>;
    table[OP_ArrayStoreObjectKeep] = ArrayStoreObject<true>;
    table[OP_ArrayRange] = ArrayRange;
    table[OP_ArrayRangeObject] = ArrayRange;
    table[OP_ArrayRangeStore] = ArrayRangeStore<false>;
    table[OP_ArrayRangeStoreObject] = ArrayRangeStore<false>;
    table[OP_ArrayRangeStoreKeep] = ArrayRangeStore<true>;
    table[OP_ArrayRangeStoreObjectKeep] = ArrayRangeStore<true>;
}

}  // namespace GSInterpreter
