// Frame-slot and stack instructions on references, which move, add or release counts: the
// object variants of the local stores, PopObject, DupObject and DupPair (the plain ones and
// the object load are hot, gs_op_hot.h).
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_script_instance.h"

namespace GSInterpreter {

namespace {

GSSlot& Local(GSRun& run) {
    GSSlot& slot = run.args[ReadU16(run.ip)];
    run.ip += 2;
    return slot;
}

// The old reference is released first, then the stack's count moves into the slot (and,
// kept, the slot takes a count of its own).
template <bool kKeep>
bool LocalStoreObject(GSRun& run) {
    GSSlot& slot = Local(run);
    GSSlot* old = RefOf(slot);
    GSReleaseReference(old);
    slot = *run.sp;
    if (kKeep)
        GSAddReference(RefOf(slot));
    else
        --run.sp;
    return true;
}

bool PopObject(GSRun& run) {
    GSReleaseReference(RefOf(*run.sp));
    --run.sp;
    return true;
}

bool DupObject(GSRun& run) {
    GSAddReference(RefOf(*run.sp));
    run.sp[1] = run.sp[0];
    ++run.sp;
    return true;
}

// r v -> r v r v: the copy of the lower slot (an array or string under an index) counts.
bool DupPair(GSRun& run) {
    GSAddReference(RefOf(run.sp[-1]));
    run.sp[1] = run.sp[-1];
    run.sp[2] = run.sp[0];
    run.sp += 2;
    return true;
}

}  // namespace

void FillStackHandlers(GSOpHandler* table) {
    table[OP_LocalStoreObject] = LocalStoreObject<false>;
    table[OP_LocalStoreObjectKeep] = LocalStoreObject<true>;
    table[OP_PopObject] = PopObject;
    table[OP_DupObject] = DupObject;
    table[OP_DupPair] = DupPair;
}

}  // namespace GSInterpreter
