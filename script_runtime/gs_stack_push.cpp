// The push operations of GSStack, through which natives hand back their results and the
// interpreter pushes values. A pushed reference is owned by its slot. A native's stack need
// does not count the result it pushes, so every push checks that a slot is free: a push that
// does not fit writes nothing, sets the overflow mark (the interpreter fails the call with
// ER_StackOverflow) and leaks nothing: no reference is added, and a count the caller handed
// over (PushObjectNoRef, PushReference) is released.
#include "script_runtime/gs_stack.h"

#include "engine/string.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_string.h"

namespace {

// The view of a reference for the class, or the reference itself without a class.
GSSlot* ViewFor(GSSlot* reference, GSClass* gsClass) {
    if (!reference || !gsClass) return reference;
    return GSScriptInstance::CastTo(gsClass, GSInstanceOf(reference));
}

}  // namespace

bool GSStack::PushInt(int32_t value) {
    if (FreeSlots() < 1) {
        pushOverflowed_ = true;
        return false;
    }
    ++top_;
    *top_ = GSIntSlot(value);
    return true;
}

bool GSStack::PushFloat(float value) {
    if (!PushInt(0)) return false;
    top_->f = value;
    return true;
}

bool GSStack::PushString(std::string_view text, GSContext* context) {
    if (FreeSlots() < 1) return PushInt(0);  // refused: no string is made
    auto* string = new GSString(context, Kiv::String(text));
    return PushReference(string->GetReference(), nullptr);
}

bool GSStack::PushObject(GSObject* object, GSClass* gsClass) {
    GSSlot* reference = object ? ViewFor(object->GetInstance(), gsClass) : nullptr;
    if (!PushInt(0)) return false;
    GSAddReference(reference);
    top_->p = reference;
    return true;
}

bool GSStack::PushObjectNoRef(GSObject* object, GSClass* gsClass) {
    return PushReference(object ? object->GetInstance() : nullptr, gsClass);
}

bool GSStack::PushReference(GSSlot* reference, GSClass* gsClass) {
    GSSlot* view = ViewFor(reference, gsClass);
    if (!view) GSReleaseReference(reference);
    if (!PushInt(0)) {
        GSReleaseReference(view);
        return false;
    }
    top_->p = view;
    return true;
}
