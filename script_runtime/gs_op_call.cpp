// Calls and returns. A script call pushes the callee's frame (GSStack::PushFrame) and goes
// on in the callee's code; a native call runs the binding between its frame's push and pop
// and goes on after the instruction, unless the native made the thread wait or stopped it.
// Calls and returns into a caller charge the run's budget and set the current context anew.
#include "script_runtime/gs_op_call.h"

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_stack.h"
#include "script_runtime/gs_thread.h"

namespace GSInterpreter {

namespace {

// The receiver slot must lie above the executing frame's record.
GSSlot* ReceiverSlot(GSRun& run, int16_t k) {
    GSSlot* slot = run.sp + k;
    return slot > run.stack->TopFrame() + 3 ? slot : nullptr;
}

int32_t PositionAfter(const GSRun& run, int32_t operandBytes) {
    return static_cast<int32_t>(run.ip - run.codeBase) + operandBytes;
}

// A frame that does not fit leaves the receiver and the arguments on the stack, where the
// error exit's reset would drop them without their counts: they are released here, the
// receiver's and those of the callee's object-typed parameters.
void ReleaseCallOperands(GSRun& run, const GSFunction& function) {
    GSSlot* receiver = run.sp + 1 - function.argumentSlots;
    for (uint32_t slot : function.objectSlots) {
        if (slot >= static_cast<uint32_t>(function.argumentSlots)) continue;
        GSReleaseReference(RefOf(receiver[slot]));
        receiver[slot] = GSSlot{};
    }
    GSReleaseReference(RefOf(*receiver));
    *receiver = GSSlot{};
}

// The new top frame's slot 0 becomes the callee's view; the count held for o stays.
bool PushCalleeFrame(GSRun& run, const GSFunction* function, GSSlot* view, int32_t returnPosition) {
    run.stack->SetTop(run.sp);
    if (!run.stack->PushFrame(function, returnPosition)) {
        ReleaseCallOperands(run, *function);
        return run.Fail(ER_StackOverflow);
    }
    GSFrame::ArgumentBase(run.stack->TopFrame())[0] = GSPointerSlot(view);
    return true;
}

bool Call(GSRun& run) {
    GSCallee callee;
    if (!FindCallee(run, ReadI16(run.ip), ReadU16(run.ip + 2), callee)) return false;
    run.library = callee.function->library;
    const int32_t returnPosition = PositionAfter(run, 4);
    if (!ChargeTransfer(run, run.ip)) return false;
    if (!PushCalleeFrame(run, callee.function, callee.view, returnPosition)) return false;
    return EnterTopFrame(run, 0);
}

GSObject* NativeObjectOf(GSSlot* view) {
    GSObjectReference* native = GSInstanceOf(view)->NativeObject();
    if (!native || native->ReferenceKind() < GS_REFERENCE_OBJECT) return nullptr;
    return static_cast<GSObject*>(native);
}

// Runs the binding inside the native's frame; a push the stack refused fails the call.
bool CallBinding(GSRun& run, const GSFunction& function, GSSlot* view) {
    if (!function.native) return run.Fail(ER_NativeCallError);
    run.stack->ClearPushOverflow();
    const bool called = function.native->Call(NativeObjectOf(view), run.stack);
    if (run.stack->PushOverflowed()) {
        run.stack->ClearPushOverflow();
        return run.Fail(ER_StackOverflow);
    }
    if (!called) return run.Fail(ER_NativeCallError);
    const bool returned = function.returnType == 0 ? run.stack->PopFrame() : run.stack->ReturnValue(true);
    if (!returned) return run.Fail(ER_StackReturnError);
    if (function.returnType != 0) run.stack->SetResultKind(run.stack->Top(), GSResultKindOf(function.returnType));
    return true;
}

bool CallNative(GSRun& run) {
    GSCallee callee;
    if (!FindCallee(run, ReadI16(run.ip), ReadU16(run.ip + 2), callee)) return false;
    GSLibrary* caller = run.library;
    run.library = callee.function->library;
    if (!PushCalleeFrame(run, callee.function, callee.view, 0)) return false;
    if (!CallBinding(run, *callee.function, callee.view)) return false;
    run.library = caller;
    run.sp = run.stack->Top();
    run.ip += 4;
    if (run.thread->State() == GSThread::kWaiting) {
        run.thread->SetResumePosition(static_cast<int32_t>(run.ip - run.codeBase));
        return run.Fail(ER_Blocked);
    }
    if (run.thread->State() == GSThread::kStopped) {
        run.failedBetweenInstructions = true;
        return run.Fail(ER_Exception);
    }
    return true;
}

// The function the executing one overrides, on the same object: its view lies at the
// receiver's own view offset plus the ancestor's offset recorded with the override.
bool CallInherited(GSRun& run) {
    const int16_t k = ReadI16(run.ip);
    GSSlot* slot = ReceiverSlot(run, k);
    if (!slot) return run.Fail(ER_IllegalInstruction);
    GSSlot* receiver = RefOf(*slot);
    if (!receiver) return run.Fail(ER_NullReference);
    const GSFunction* executing = GSFrame::Function(run.stack->TopFrame());
    const GSFunction* inherited = executing->inherited;
    if (!inherited) return run.Fail(ER_NullReference);
    const GSClass* instanceClass = GSInstanceOf(receiver)->Class();
    GSSlot* whole = GSWholeObject(receiver);
    const int64_t offset = (receiver - whole) + int64_t{executing->inheritedOffset};
    // The view there must be one of the inherited function's class, whatever object the code
    // named as the receiver.
    const bool fits = instanceClass && CallShapeFits(run, *inherited, slot, false) && offset >= 0 &&
                      offset <= INT32_MAX &&
                      instanceClass->IsClassAtOffset(inherited->gsClass, static_cast<int32_t>(offset));
    if (!fits) return run.Fail(ER_IllegalInstruction);
    run.library = inherited->library;
    const uint64_t straight = static_cast<uint64_t>(run.ip - run.runStart);
    if (!PushCalleeFrame(run, inherited, whole + offset, PositionAfter(run, 2))) return false;
    if (!EnterTopFrame(run, 0)) return false;
    return ChargeBytes(run, straight);
}

// Leaves the frame (with the top value as result unless kPlain). With no frame left the
// thread stops and the run ends with ER_Done, a result on top of the stack.
template <bool kPlain>
bool Return(GSRun& run) {
    const uint64_t straight = static_cast<uint64_t>(run.ip - run.runStart);
    run.stack->SetTop(run.sp);
    const GSFunction* returning = GSFrame::Function(run.stack->TopFrame());
    const bool left = kPlain ? run.stack->PopFrame() : run.stack->ReturnValue(false);
    if (!left) return run.Fail(ER_StackReturnError);
    if (!kPlain) run.stack->SetResultKind(run.stack->Top(), GSResultKindOf(returning->returnType));
    if (!run.stack->TopFrame()) {
        run.sp = run.stack->Top();
        run.thread->SetState(GSThread::kStopped);
        return run.Fail(ER_Done);
    }
    run.failedBetweenInstructions = true;
    if (!EnterTopFrame(run, run.stack->ReturnPosition()) || !ChargeBytes(run, straight)) return false;
    if (!run.args[0].p) return run.Fail(ER_NullReference);
    run.failedBetweenInstructions = false;
    return true;
}

}  // namespace

bool CallShapeFits(GSRun& run, const GSFunction& callee, const GSSlot* receiver, bool thread) {
    const GSFunction* caller = GSFrame::Function(run.stack->TopFrame());
    const GSCallShape* shape = caller->CallShapeAt(static_cast<uint32_t>(run.ip - 1 - run.codeBase));
    if (!shape || shape->arguments.size() + 1 != callee.parameterKinds.size()) return false;
    const GSSlotKind result = GSResultKindOf(callee.returnType);
    if (result == GS_KIND_HEADER) return false;
    if (!thread && shape->result != result && !(shape->result == GS_KIND_TAGGED && result != GS_KIND_NOTHING))
        return false;
    for (size_t i = 0; i < shape->arguments.size(); ++i) {
        const GSSlot* argument = receiver + 1 + i;
        GSSlotKind kind = shape->arguments[i];
        if (kind == GS_KIND_TAGGED) kind = run.stack->ResultKind(argument);
        if (!GSKindFits(kind, callee.parameterKinds[i + 1])) return false;
    }
    return true;
}

bool FindCallee(GSRun& run, int16_t k, uint16_t m, GSCallee& callee, bool thread) {
    callee.receiver = ReceiverSlot(run, k);
    if (!callee.receiver) return run.Fail(ER_IllegalInstruction);
    GSSlot* receiver = RefOf(*callee.receiver);
    if (!receiver) return run.Fail(ER_NullReference);
    const GSClass* gsClass = GSInstanceOf(receiver)->Class();
    if (!gsClass) return run.Fail(ER_IllegalInstruction);
    const std::vector<GSMethodEntry>& table = gsClass->MethodTable();
    const auto* first = static_cast<const GSMethodEntry*>(receiver[1].p);
    const ptrdiff_t index = (first - table.data()) + m;
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return run.Fail(ER_IllegalInstruction);
    const GSMethodEntry& entry = table[static_cast<size_t>(index)];
    callee.function = entry.functionRef ? entry.functionRef->function : nullptr;
    if (!callee.function || !CallShapeFits(run, *callee.function, callee.receiver, thread))
        return run.Fail(ER_IllegalInstruction);
    callee.view = GSWholeObject(receiver) + entry.offset;
    return true;
}

void FillCallHandlers(GSOpHandler* table) {
    table[OP_Call] = Call;
    table[OP_CallNative] = CallNative;
    table[OP_CallInherited] = CallInherited;
    table[OP_Return] = Return<true>;
    table[OP_ReturnValue] = Return<false>;
    table[OP_ReturnObject] = Return<false>;
}

}  // namespace GSInterpreter
