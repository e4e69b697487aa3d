// GSObject::GetGSClassName, the built-in native every script object answers: the name of
// the class of the object's whole instance, so a view of an ancestor still names the
// object's own class.
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_object.h"

void GSObject::GetGSClassName(GSContext* context, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const GSScriptInstance* instance = GSInstanceOf(static_cast<GSSlot*>(arguments[0].p));
    const GSClass* gsClass = instance ? instance->Class() : nullptr;
    stack->PushString(gsClass ? gsClass->Name() : "void", context);
}
