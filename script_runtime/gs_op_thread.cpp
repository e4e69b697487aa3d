// The thread instructions: OP_CallThread starts a function as a new thread of the receiver's
// game object, OP_Wait blocks the thread until a message of one of its kinds arrives. Both
// need a game object attached to a message router: the router interns the message kinds
// and subscribes the waiting object to them.
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_op_call.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_thread.h"

namespace GSInterpreter {

namespace {

// The receiver and arguments move to the new thread with their counts. A frame that does not
// fit there releases them; the thread then has no frame and ends at its first run.
bool CallThread(GSRun& run) {
    GSCallee callee;
    if (!FindCallee(run, ReadI16(run.ip), ReadU16(run.ip + 2), callee, true)) return false;
    GSGameObject* gameObject = GSGameObject::FromReference(callee.view);
    GSThread* thread = gameObject && gameObject->GetRouter() ? gameObject->NewThread() : nullptr;
    if (!thread) return run.Fail(ER_ThreadError);
    const GSFunction& function = *callee.function;
    GSStack& stack = thread->Stack();
    GSSlot* top = stack.Top();
    *++top = GSPointerSlot(callee.view);
    for (int32_t i = 1; i < function.argumentSlots; ++i) *++top = callee.receiver[i];
    stack.SetTop(top);
    if (!stack.PushFrame(&function, 0)) {
        GSSlot* base = top + 1 - function.argumentSlots;
        for (uint32_t slot : function.objectSlots)
            if (slot < static_cast<uint32_t>(function.argumentSlots)) GSReleaseReference(RefOf(base[slot]));
        GSReleaseReference(RefOf(base[0]));
        stack.SetTop(base - 1);
    }
    run.sp = callee.receiver - 1;
    run.ip += 4;
    return true;
}

// The blocks are filled before the count is set, so a failure leaves no half-made wait.
bool Wait(GSRun& run) {
    GSThread* thread = run.thread;
    GSGameObject* owner = thread->Owner();
    if (!owner || thread->IsStatic()) return run.Fail(ER_ThreadError);
    const uint16_t count = ReadU16(run.ip);
    GSRouter* router = owner->GetRouter();
    if (!router || (count > 0 && !thread->WaitBlocks().Reserve(count - 1u))) return run.Fail(ER_ThreadError);
    const uint8_t* kinds = run.ip + 2;
    const uint8_t* targets = kinds + 4u * count;
    for (uint16_t i = 0; i < count; ++i) {
        GSThread::Block& block = thread->WaitBlocks()[i];
        block.major = router->GetMajorTypeId(run.library->GetString(ReadU16(kinds + 4u * i)));
        block.minor = router->GetMajorTypeId(run.library->GetString(ReadU16(kinds + 4u * i + 2)));
        block.target = ReadI32(targets + 4u * i);
        router->Subscribe(owner, block.major);
    }
    thread->SetWaitCount(count);
    thread->SetState(GSThread::kWaiting);
    run.stack->SetTop(run.sp);
    thread->OfferQueuedMessages();
    return run.Fail(ER_Blocked);
}

}  // namespace

void FillThreadHandlers(GSOpHandler* table) {
    table[OP_CallThread] = CallThread;
    table[OP_Wait] = Wait;
}

}  // namespace GSInterpreter
