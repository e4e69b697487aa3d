// What the call instructions share: finding the receiver k places below the top and the
// function of its method-table entry m, with the checks the load-time verifier cannot make
// (the receiver's class is known only at run time).
#pragma once

#include "script_runtime/gs_interpreter.h"

namespace GSInterpreter {

struct GSCallee {
    GSSlot* receiver;             // the stack slot holding o
    GSSlot* view;                 // o's instance at the entry's view offset
    const GSFunction* function;
};

// ER_NullReference for a null receiver; ER_IllegalInstruction when the receiver slot lies
// in or below the executing frame, the receiver is no class instance, entry m lies outside
// its class's method table, or the callee does not fit the call site's shape.
bool FindCallee(GSRun& run, int16_t k, uint16_t m, GSCallee& callee, bool thread = false);

// The call instruction being run (ip just past its opcode) against the callee's record: the
// argument count, each argument's kind (for a result passed on, the kind its return left)
// and, unless the call starts a thread, the result the caller's code expects.
bool CallShapeFits(GSRun& run, const GSFunction& callee, const GSSlot* receiver, bool thread);

}  // namespace GSInterpreter
