// Reading the arguments of a native call. The interpreter enters a frame for the native
// function before calling it, so the arguments are that frame's slots: `me` in slot 0, the
// parameters from slot 1 on. A stack without a frame gives no arguments, and a native then
// does nothing. String arguments arrive as script references, null allowed.
#pragma once

#include "script_runtime/gs_stack.h"
#include "script_runtime/gs_string.h"

// The argument slots of the running native, or null when the stack has no frame.
inline GSSlot* GSNativeArguments(const GSStack* stack) {
    if (!stack || !stack->TopFrame()) return nullptr;
    return GSFrame::ArgumentBase(stack->TopFrame());
}

// The script string a reference refers to; null for null or for an object of another kind.
inline GSString* GSStringOf(GSSlot* reference) {
    const GSScriptInstance* instance = GSInstanceOf(reference);
    GSObjectReference* object = instance ? instance->NativeObject() : nullptr;
    if (!object || object->ReferenceKind() != GS_REFERENCE_STRING) return nullptr;
    return static_cast<GSString*>(object);
}
