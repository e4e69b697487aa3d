// Script functions called from native code, and the nested run on a thread.
#include "script_runtime/gs_runtime_call.h"

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_script_instance.h"
#include "script_runtime/gs_slot_kind.h"
#include "script_runtime/gs_thread.h"

namespace {

// References handed to a call that never started are released: the receiver's and those of
// the object-typed parameters.
void ReleaseHandedOver(const GSFunction& function, std::span<const GSSlot> arguments) {
    for (uint32_t slot : function.objectSlots)
        if (slot >= 1 && slot - 1 < arguments.size()) GSReleaseReference(static_cast<GSSlot*>(arguments[slot - 1].p));
}

// Pushes `me` with a reference of its own, the arguments, and the function's frame.
bool PushCall(GSStack& stack, const GSFunction& function, GSSlot* me, std::span<const GSSlot> arguments) {
    if (static_cast<size_t>(stack.FreeSlots()) < 1 + arguments.size()) return false;
    GSAddReference(me);
    GSSlot* top = stack.Top();
    *++top = GSPointerSlot(me);
    for (const GSSlot& argument : arguments) *++top = argument;
    stack.SetTop(top);
    if (stack.PushFrame(&function, 0)) return true;
    stack.SetTop(top - arguments.size() - 1);
    GSReleaseReference(me);
    return false;
}

// The method-table entry `slot` places after the one the view's slot 1 points at, when it
// lies inside the instance's table.
const GSMethodEntry* EntryOf(GSSlot* view, int32_t slot) {
    const GSClass* gsClass = GSInstanceOf(view)->Class();
    if (!gsClass) return nullptr;
    const std::vector<GSMethodEntry>& table = gsClass->MethodTable();
    const auto* first = static_cast<const GSMethodEntry*>(view[1].p);
    const ptrdiff_t index = (first - table.data()) + slot;
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<size_t>(index)];
}

// A thread function gets a new thread of the instance's game object with its frame; the
// thread runs at the object's next update.
bool StartThread(const GSFunction& function, GSSlot* me, std::span<const GSSlot> arguments) {
    GSObjectReference* native = GSInstanceOf(me)->NativeObject();
    GSThread* thread = native && native->ReferenceKind() == GS_REFERENCE_GAME_OBJECT
                           ? static_cast<GSGameObject*>(native)->NewThread()
                           : nullptr;
    if (thread && PushCall(thread->Stack(), function, me, arguments)) return true;
    ReleaseHandedOver(function, arguments);
    return false;
}

// The finished function's result word goes to `result`; without a result address a
// reference result is released, as the restore that follows drops the slot holding it.
void TakeResult(const GSFunction& function, GSSlot value, GSSlot* result) {
    if (function.returnType == 0) return;
    if (result)
        *result = value;
    else if (GSResultKindOf(function.returnType) == GS_KIND_REFERENCE)
        GSReleaseReference(static_cast<GSSlot*>(value.p));
}

}  // namespace

GSExecResult GSRuntime::RunNested(GSThread& thread, const GSFunction& function, GSSlot* me,
                                  std::span<const GSSlot> arguments, GSSlot* result) {
    GSThread::SavedState saved;
    thread.SaveState(saved);
    if (!PushCall(thread.Stack(), function, me, arguments)) {
        ReleaseHandedOver(function, arguments);
        thread.RestoreState(saved);
        return ER_StackOverflow;
    }
    const GSExecResult run = thread.Execute(0.0f);
    if (run == ER_Done) TakeResult(function, *thread.Stack().Top(), result);
    thread.RestoreState(saved);
    return run;
}

bool GSRuntime::CallScriptFunction(GSContext* context, GSClass* gsClass, GSSlot* instance, const char* name,
                                   GSSlot* result, std::span<const GSSlot> arguments) {
    GSClass::FoundFunction found;
    if (!context || !context->GetRouter() || !gsClass || !instance || !name || !gsClass->FindFunction(name, found))
        return false;
    const GSMethodEntry* entry = EntryOf(instance + found.ancestorOffset, found.slot);
    const GSFunction* function = entry && entry->functionRef ? entry->functionRef->function : nullptr;
    if (!function || static_cast<size_t>(function->argumentSlots) != arguments.size() + 1) return false;
    GSSlot* me = GSWholeObject(instance) + entry->offset;
    if (function->flags & GS_FUNCTION_THREAD) return StartThread(*function, me, arguments);
    GSThread* thread = function->library->Machine()->StaticThread();
    if (!thread) return false;
    return RunNested(*thread, *function, me, arguments, result) == ER_Done;
}
