// The range-store instructions of arrays and strings share one shape: the target's elements
// (or bytes) from start to end - 1 are replaced by all of the source's (a null source removes
// them). Each instruction file instantiates it with its own kind test, which gives null for
// a reference of another kind (code the verifier could not tell apart: ER_IllegalInstruction).
#pragma once

#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_script_instance.h"

namespace GSInterpreter {

// target, end, start, source -> (source when kept); target and a dropped source released.
template <class T, GSExecResult kNullError, T* (*kOf)(GSSlot*), bool kKeep>
bool RangeStore(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-3]);
    if (!reference) return run.Fail(kNullError);
    GSSlot* source = RefOf(*run.sp);
    T* target = kOf(reference);
    const T* other = source ? kOf(source) : nullptr;
    if (!target || (source && !other)) return run.Fail(ER_IllegalInstruction);
    if (!T::ReplaceRange(*target, run.sp[-1].i, run.sp[-2].i, other)) return run.Fail(ER_ArrayOutOfBounds);
    run.sp -= kKeep ? 3 : 4;
    if (kKeep)
        *run.sp = GSPointerSlot(source);
    else
        GSReleaseReference(source);
    GSReleaseReference(reference);
    return true;
}

}  // namespace GSInterpreter
