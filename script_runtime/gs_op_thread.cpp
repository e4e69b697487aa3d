// The thread instructions: OP_CallThread starts a function as a new thread of the receiver's
// game object, OP_Wait blocks the thread until a message of one of its kinds arrives. Both
// are served only by a game object attached to a message router; no game object is attached
// to one yet, so both end the run with ER_ThreadError once the receiver and the thread have
// passed their own checks.
#include "script_runtime/gs_op_call.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_thread.h"

namespace GSInterpreter {

namespace {

bool CallThread(GSRun& run) {
    GSCallee callee;
    if (!FindCallee(run, ReadI16(run.ip), ReadU16(run.ip + 2), callee)) return false;
    return run.Fail(ER_ThreadError);
}

// The static thread and a thread without a game object can never be woken by a message.
bool Wait(GSRun& run) { return run.Fail(ER_ThreadError); }

}  // namespace

void FillThreadHandlers(GSOpHandler* table) {
    table[OP_CallThread] = CallThread;
    table[OP_Wait] = Wait;
}

}  // namespace GSInterpreter
