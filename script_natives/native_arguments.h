// How a native reads its arguments and reports bad ones. Argument n (from 1) is slot n of
// the running native's frame; object arguments are script references. A bad argument
// raises one of the fixed texts ("null object at parameter %d", "incorrect parameter type
// at parameter %d", "null string at parameter %d", "empty string at parameter %d") as a
// stopping exception of the current script thread; the fetcher answers false and the
// native returns at once, pushing nothing.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "engine/string.h"
#include "script_runtime/gs_array.h"
#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_string.h"

class GSStack;
class GSOKUID;

// Raises a stopping exception with the text on the current script thread. Always false.
bool RaiseScriptError(const char* text);
// RaiseScriptError of the text with the parameter number put in for its "%d".
bool RaiseArgumentError(const char* format, int index);

// The reference in argument slot index, or null (also when the call has no frame).
GSSlot* ArgumentReference(GSStack* stack, int index);
// Argument slot index as a plain value; zero when the call has no frame.
GSSlot ArgumentValue(GSStack* stack, int index);

// The native object behind a reference, as the type asked for: native classes by their
// run-time type, arrays and strings by their reference kind. Null when it is another.
template <class T> T* NativeObjectAs(GSSlot* reference) {
    const GSScriptInstance* instance = GSInstanceOf(reference);
    GSObjectReference* object = instance ? instance->NativeObject() : nullptr;
    if (!object) return nullptr;
    if constexpr (std::is_same_v<T, GSArray>) {
        return object->ReferenceKind() == GS_REFERENCE_ARRAY ? static_cast<GSArray*>(object) : nullptr;
    } else if constexpr (std::is_same_v<T, GSString>) {
        return object->ReferenceKind() == GS_REFERENCE_STRING ? static_cast<GSString*>(object) : nullptr;
    } else {
        return dynamic_cast<T*>(object);
    }
}

// Argument index as a native object of class T; null is refused.
template <class T> bool CheckObjectArgument(GSStack* stack, int index, T*& out) {
    out = nullptr;
    GSSlot* reference = ArgumentReference(stack, index);
    if (!reference) return RaiseArgumentError("null object at parameter %d", index);
    out = NativeObjectAs<T>(reference);
    if (!out) return RaiseArgumentError("incorrect parameter type at parameter %d", index);
    return true;
}
// The KUID form: with allowNull, a null reference gives null and true.
bool CheckObjectArgument(GSStack* stack, int index, GSOKUID*& out, bool allowNull);

// Argument index as an interned string. Null or not a string: "null string"; empty: "empty
// string"; with allowEmpty both give the empty string and true.
bool CheckStringArgument(GSStack* stack, int index, bool allowEmpty, Kiv::PString& out);
// Parameter 1 as an owned text; null, not a string or empty are refused.
bool CheckTextArgument(GSStack* stack, Kiv::String& out);
