// The typed pass of the load-time verifier: a data-flow walk over one function's code that
// knows, at every instruction, how deep the evaluation stack is and whether each of its slots
// holds a value or a reference, and refuses code that would read a value as a reference (or
// the reverse), leave the stack below its frame or above the function's declared depth, or
// reach one instruction with two different stacks. Frame slots take their kinds from the
// function's object-slot list (slot 0, the receiver, is a reference and never stored to);
// the receiver's members take theirs from the declaring class's slot kinds.
// The byte code does not name a call's callee (the receiver's class picks it at run time), so
// the pass infers what each call site hands over and expects back from how the caller uses
// it, and records that shape in the function; the interpreter compares it with the callee's
// record at every call. It runs after the structural pass (gs_code_verifier.h), on code whose
// instructions, targets and operand ranges are already proven.
#pragma once

#include <vector>

#include "script_runtime/gs_slot_kind.h"

struct GSFunction;

// Verifies the function's code and fills its call shapes; false when the code is refused.
// memberKinds gives the kind of each slot of the declaring class's instance (header included).
bool VerifyGSKinds(GSFunction& function, const std::vector<GSSlotKind>& memberKinds);
