// Member instructions: those on an object popped from the stack (97-102), which test it for
// null and release it after the access, and the reference variants on the receiver
// (104, 106, 108; the plain receiver loads and stores are hot). A reference stored into a
// member obeys the cross-context rule: a value of another context that does not allow it
// is refused and null stored instead.
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_script_instance.h"

namespace GSInterpreter {

namespace {

uint16_t MemberOperand(GSRun& run) {
    const uint16_t member = ReadU16(run.ip);
    run.ip += 2;
    return member;
}

// The load-time verifier cannot know the class of a popped object, so its member operand is
// checked against the instance here: the slot must lie inside the instance and hold the kind
// the instruction moves (never a view's header word); an object that is no class instance
// has no members.
bool MemberIs(GSSlot* view, uint16_t member, GSSlotKind kind) {
    const GSClass* gsClass = GSInstanceOf(view)->Class();
    if (!gsClass) return false;
    const std::vector<GSSlotKind>& kinds = gsClass->SlotKinds();
    const auto at = static_cast<size_t>(view - GSWholeObject(view)) + member;
    return at < kinds.size() && kinds[at] == kind;
}

// Stores into member m of a view. Not kept, the value's count moves into the member (or is
// released when refused); kept, the member takes a count of its own.
void StoreReference(GSSlot* view, uint16_t member, GSSlot* value, bool keep) {
    if (value && !GSMayStoreAcross(GSInstanceOf(view)->GetContext(), value)) {
        if (!keep) GSReleaseReference(value);
        value = nullptr;
    } else if (keep) {
        GSAddReference(value);
    }
    GSSlot* old = RefOf(view[member]);
    view[member] = GSPointerSlot(value);
    GSReleaseReference(old);
}

template <bool kObject>
bool MemberLoad(GSRun& run) {
    const uint16_t member = MemberOperand(run);
    GSSlot* object = RefOf(*run.sp);
    if (!object) return run.Fail(ER_NullReference);
    if (!MemberIs(object, member, kObject ? GS_KIND_REFERENCE : GS_KIND_VALUE)) return run.Fail(ER_IllegalInstruction);
    *run.sp = object[member];
    if (kObject) GSAddReference(RefOf(*run.sp));
    GSReleaseReference(object);
    return true;
}

// o, v -> (v when kept).
template <bool kObject, bool kKeep>
bool MemberStore(GSRun& run) {
    const uint16_t member = MemberOperand(run);
    GSSlot* object = RefOf(run.sp[-1]);
    if (!object) return run.Fail(ER_NullReference);
    if (!MemberIs(object, member, kObject ? GS_KIND_REFERENCE : GS_KIND_VALUE)) return run.Fail(ER_IllegalInstruction);
    const GSSlot value = *run.sp;
    if (kObject)
        StoreReference(object, member, RefOf(value), kKeep);
    else
        object[member] = value;
    run.sp -= kKeep ? 1 : 2;
    if (kKeep) *run.sp = value;
    GSReleaseReference(object);
    return true;
}

bool SelfLoadObject(GSRun& run) {
    const uint16_t member = MemberOperand(run);
    GSSlot* receiver = RefOf(run.args[0]);
    if (!receiver) return run.Fail(ER_NullReference);
    *++run.sp = receiver[member];
    GSAddReference(RefOf(*run.sp));
    return true;
}

template <bool kKeep>
bool SelfStoreObject(GSRun& run) {
    const uint16_t member = MemberOperand(run);
    GSSlot* receiver = RefOf(run.args[0]);
    if (!receiver) return run.Fail(ER_NullReference);
    StoreReference(receiver, member, RefOf(*run.sp), kKeep);
    if (!kKeep) --run.sp;
    return true;
}

}  // namespace

void FillMemberHandlers(GSOpHandler* table) {
    table[OP_MemberLoad] = MemberLoad<false>;
    table[OP_MemberLoadObject] = MemberLoad<true>;
    table[OP_MemberStore] = MemberStore<false, false>;
    table[OP_MemberStoreKeep] = MemberStore<false, true>;
    table[OP_MemberStoreObject] = MemberStore<true, false>;
    table[OP_MemberStoreObjectKeep] = MemberStore<true, true>;
    table[OP_SelfLoadObject] = SelfLoadObject;
    table[OP_SelfStoreObject] = SelfStoreObject<false>;
    table[OP_SelfStoreObjectKeep] = SelfStoreObject<true>;
}

}  // namespace GSInterpreter
