// The interpreter's inside, shared by the dispatch loop (gs_interpreter_loop.cpp), the run's
// entry and exits (gs_interpreter.cpp) and the instruction handlers, which are grouped by
// kind in the gs_op_*.cpp files. One run keeps its state in a GSRun: the instruction
// position, the stack top, the executing function's code, frame and library, and where the
// current straight run of code began. The loop keeps the position and the top in registers
// and runs the hot instructions inline; every other instruction goes through its handler,
// which reads and writes the GSRun and answers false when the run ends (with run.result).
// Operands are read in place; the loader's verifiers have already proved that each one lies
// inside its instruction and its tables and that the stack's depth and kinds hold, so
// handlers check only what a run can still get wrong: null references, bounds of arrays and
// strings, what a reference refers to (an array, a string, a member slot of the kind moved)
// and whether the callee the receiver's method table picks fits the call site's shape.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "script_runtime/gs_exec_result.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_slot.h"

class GSLibrary;
class GSStack;
class GSThread;
struct GSFunction;

static_assert(std::endian::native == std::endian::little, "operands are read in place");

// What the hot instructions touch; the loop keeps a copy of it in registers.
struct GSHotState {
    const uint8_t* ip = nullptr;        // the next byte to read
    GSSlot* sp = nullptr;               // the top slot
    GSSlot* args = nullptr;             // frame slot 0 (the receiver)
    const uint8_t* codeBase = nullptr;  // first byte of the executing function's code
    const uint8_t* runStart = nullptr;  // where the current straight run began
    GSExecResult result = ER_Done;

    bool Fail(GSExecResult code) {
        result = code;
        return false;
    }
};

struct GSRun : GSHotState {
    GSLibrary* library = nullptr;       // whose strings and class references operands name
    GSThread* thread = nullptr;
    GSStack* stack = nullptr;
    // Set by a failure that comes after its instruction has done its work (or before the
    // first instruction ran): ip is then the start of the instruction that would run next,
    // the stack as it expects it. Otherwise ip lies inside the failing instruction and the
    // stack holds what it has not yet taken.
    bool failedBetweenInstructions = false;
    // The executing function runs from its fused copy (gs_fused_code.h).
    bool runsFusedCopy = false;
};

// An instruction's handler, entered with ip just past the opcode byte.
using GSOpHandler = bool (*)(GSRun& run);

namespace GSInterpreter {

extern uint64_t g_budgetUsed;
extern int g_runDepth;
extern bool g_executionEnabled;

inline int32_t ReadI32(const uint8_t* at) {
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
inline uint16_t ReadU16(const uint8_t* at) {
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
inline int16_t ReadI16(const uint8_t* at) { return static_cast<int16_t>(ReadU16(at)); }

// Ints and floats fill the whole slot, so a slot holding 0 is also the null reference.
inline void PutInt(GSSlot& slot, int32_t value) { slot.word = static_cast<uint32_t>(value); }
inline void PutFloat(GSSlot& slot, float value) { slot.word = std::bit_cast<uint32_t>(value); }
inline float FloatOf(const GSSlot& slot) { return std::bit_cast<float>(static_cast<uint32_t>(slot.word)); }
inline GSSlot* RefOf(const GSSlot& slot) { return static_cast<GSSlot*>(slot.p); }

// Adds the straight run that ends at ip to the budget. False, with ER_Timeout, once the
// budget is exceeded; otherwise the next straight run begins at `next`.
inline bool ChargeTransfer(GSHotState& run, const uint8_t* next) {
    g_budgetUsed += static_cast<uint64_t>(run.ip - run.runStart);
    run.runStart = run.ip;
    if (g_budgetUsed > kGSRunBudget) return run.Fail(ER_Timeout);
    run.runStart = next;
    return true;
}

// Adds bytes already counted to the budget; false, with ER_Timeout, once it is exceeded.
inline bool ChargeBytes(GSHotState& run, uint64_t bytes) {
    g_budgetUsed += bytes;
    if (g_budgetUsed > kGSRunBudget) return run.Fail(ER_Timeout);
    return true;
}

// Takes the top frame of the run's stack as the executing one, at a code position: frame
// slot 0, code, library, position, stack top, and the current context made anew. False,
// with ER_IllegalInstruction, for a function without code.
bool EnterTopFrame(GSRun& run, int32_t position);

// The error exit's release of what the failed run's evaluation stacks still hold: for every
// frame of the run, from the top down, the references among the slots above its record
// (as far as the frame above, or the top), by the kinds the verifier proved at the
// instruction each frame stands at. Each released slot is cleared.
void ReleaseEvaluationStacks(const GSRun& run);

// The dispatch loop: runs until a handler or an inline instruction ends the run.
GSExecResult RunLoop(GSRun& run);

// The handler table, filled on the first run: every defined opcode the loop does not run
// inline has its handler here; the rest (and the undefined bytes) end the run with
// ER_IllegalInstruction.
const GSOpHandler* Handlers();

// Each group fills its entries of the table.
void FillFloatHandlers(GSOpHandler* table);
void FillStackHandlers(GSOpHandler* table);
void FillFlowHandlers(GSOpHandler* table);
void FillArrayHandlers(GSOpHandler* table);
void FillStringHandlers(GSOpHandler* table);
void FillObjectHandlers(GSOpHandler* table);
void FillMemberHandlers(GSOpHandler* table);
void FillCallHandlers(GSOpHandler* table);
void FillThreadHandlers(GSOpHandler* table);

}  // namespace GSInterpreter
