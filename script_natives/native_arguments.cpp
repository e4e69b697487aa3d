// The argument fetchers of the natives and the exception they raise.
#include "script_natives/native_arguments.h"

#include <cstdio>

#include "script_natives/gso_kuid.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_thread.h"

bool RaiseScriptError(const char* text) {
    if (g_gsCurrentThread) g_gsCurrentThread->Exception(text, false);
    return false;
}

bool RaiseArgumentError(const char* format, int index) {
    char text[64];
    std::snprintf(text, sizeof text, format, index);
    return RaiseScriptError(text);
}

GSSlot* ArgumentReference(GSStack* stack, int index) {
    return static_cast<GSSlot*>(ArgumentValue(stack, index).p);
}

GSSlot ArgumentValue(GSStack* stack, int index) {
    const GSSlot* arguments = GSNativeArguments(stack);
    return arguments ? arguments[index] : GSSlot{};
}

bool CheckObjectArgument(GSStack* stack, int index, GSOKUID*& out, bool allowNull) {
    out = nullptr;
    if (allowNull && !ArgumentReference(stack, index)) return true;
    return CheckObjectArgument<GSOKUID>(stack, index, out);
}

bool CheckStringArgument(GSStack* stack, int index, bool allowEmpty, Kiv::PString& out) {
    out = Kiv::PString();
    const GSString* string = NativeObjectAs<GSString>(ArgumentReference(stack, index));
    if (!string) return allowEmpty || RaiseArgumentError("null string at parameter %d", index);
    if (string->View().empty()) return allowEmpty || RaiseArgumentError("empty string at parameter %d", index);
    out = Kiv::PString(string->View());
    return true;
}

bool CheckTextArgument(GSStack* stack, Kiv::String& out) {
    const GSString* string = NativeObjectAs<GSString>(ArgumentReference(stack, 1));
    if (!string) return RaiseArgumentError("null string at parameter %d", 1);
    if (string->View().empty()) return RaiseArgumentError("empty string at parameter %d", 1);
    out = string->Text();
    return true;
}
