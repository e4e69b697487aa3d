// The error exit's unwinding of evaluation stacks. A failed run stops between the pushes and
// pops of its expressions, so references that no frame slot lists (an array being stored
// into, a string being joined, the receiver of a call still to come) would otherwise stay
// counted until their context ends. The slots carry no tags; the kinds come from the typed
// verifier's picture of each frame's stack at the instruction where the frame stopped.
// Instructions only take from the stack before they can fail, so the slots a frame still
// holds are the bottom of its picture.
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_script_instance.h"
#include "script_runtime/gs_stack.h"

namespace GSInterpreter {

namespace {

// The code position whose picture describes the frame's stack: in the executing code the
// failing instruction (or the next one when the failure came between instructions), in a
// caller the call instruction its callee's return position follows.
int32_t PictureOffset(const GSRun& run, const GSFunction& function, const GSSlot* above) {
    const int32_t calleeReturn = above ? GSFrame::ReturnPosition(above) : 0;
    if (calleeReturn > 0) return calleeReturn - 1;
    if (function.code.empty() || run.codeBase != function.RunCode()) return -1;
    const auto at = static_cast<int32_t>(run.ip - run.codeBase);
    return run.failedBetweenInstructions ? at : at - 1;
}

void ReleaseSlots(const GSStack& stack, GSSlot* first, GSSlot* last, std::span<const GSSlotKind> kinds) {
    const int64_t held = last - first + 1;
    if (held <= 0 || static_cast<uint64_t>(held) > kinds.size()) return;
    for (int64_t i = held; i-- > 0;) {
        GSSlot& slot = first[i];
        GSSlotKind kind = kinds[static_cast<size_t>(i)];
        if (kind == GS_KIND_TAGGED) kind = stack.ResultKind(&slot);
        if (kind != GS_KIND_REFERENCE) continue;
        GSReleaseReference(RefOf(slot));
        slot = GSSlot{};
    }
}

}  // namespace

void ReleaseEvaluationStacks(const GSRun& run) {
    const GSSlot* above = nullptr;
    for (GSSlot* record = run.stack->TopFrame(); record; record = GSFrame::Previous(record)) {
        const GSFunction* function = GSFrame::Function(record);
        GSSlot* last = above ? GSFrame::ArgumentBase(above) - 1 : run.sp;
        std::span<const GSSlotKind> kinds;
        if (function && function->stackKinds.At(PictureOffset(run, *function, above), kinds))
            ReleaseSlots(*run.stack, record + 4, last, kinds);
        above = record;
    }
}

}  // namespace GSInterpreter
