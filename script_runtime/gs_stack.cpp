// The value stack of a script thread: entering and leaving call frames, the reset that
// releases what the frames hold, the stack dump of the error exit and the context of the
// executing code. The pushes for natives live in gs_stack_push.cpp.
// One spare slot sits in front of the 1024 usable ones, so the top of an empty stack (one
// slot below the first) and the slot below a bottom frame's argument base are real slots.
#include <cstring>

#include "engine/alloc.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_stack.h"

namespace {

const char* FunctionName(const GSFunction* function) {
    return function && function->name ? function->name : "";
}

// The native object behind a frame's receiver, when it is a script object.
GSObject* ReceiverObject(const GSSlot* record) {
    GSScriptInstance* instance =
        GSInstanceOf(static_cast<GSSlot*>(GSFrame::ArgumentBase(record)[0].p));
    GSObjectReference* native = instance ? instance->NativeObject() : nullptr;
    if (!native) return nullptr;
    const int32_t kind = native->ReferenceKind();
    if (kind != GS_REFERENCE_OBJECT && kind != GS_REFERENCE_GAME_OBJECT) return nullptr;
    return static_cast<GSObject*>(native);
}

// The counts held by a frame's object-typed slots (last listed first, nulls skipped) and
// by its receiver. Only slots below the frame record belong to the frame.
void ReleaseFrameSlots(const GSSlot* record) {
    const GSFunction* function = GSFrame::Function(record);
    GSSlot* base = GSFrame::ArgumentBase(record);
    const auto slotCount = static_cast<uint32_t>(record - base);
    if (function) {
        const std::vector<uint32_t>& listed = function->objectSlots;
        for (size_t i = listed.size(); i-- > 0;) {
            if (listed[i] == 0 || listed[i] >= slotCount) continue;
            GSReleaseReference(static_cast<GSSlot*>(base[listed[i]].p));
        }
    }
    GSReleaseReference(static_cast<GSSlot*>(base[0].p));
}

} // namespace

GSStack::GSStack() {
    auto* block = static_cast<GSSlot*>(Kiv::Alloc::Raw(sizeof(GSSlot) * (kCapacity + 1)));
    block[0] = GSIntSlot(0);
    slots_ = block + 1;
    top_ = block;
}

GSStack::~GSStack() {
    Reset();
    Kiv::Alloc::FreeRaw(slots_ - 1);
}

bool GSStack::PushFrame(const GSFunction* function, int32_t returnPosition) {
    if (!function) return false;
    // The loader holds every function read from a library to this geometry; a record that
    // breaks it, or a call whose receiver and arguments are not all on the stack, would put
    // the argument base or the record outside the frame: refused, no slot written.
    const int32_t t = static_cast<int32_t>(top_ - slots_);
    const bool wellFormed = function->frameAdvance >= 4 &&
                            function->frameRecord + 3 == function->frameAdvance &&
                            function->stackNeed >= function->frameAdvance &&
                            function->argumentBase <= 0 && t + function->argumentBase >= 0;
    if (!wellFormed) return false;
    if (function->stackNeed > FreeSlots()) {
        GSLog("GSStack overflow...");
        for (const GSSlot* record = topFrame_; record; record = GSFrame::Previous(record))
            GSLog("function %s", FunctionName(GSFrame::Function(record)));
        return false;
    }
    std::memset(static_cast<void*>(top_ + 1), 0,
                sizeof(GSSlot) * static_cast<size_t>(function->stackNeed - 1));
    GSSlot* record = top_ + function->frameRecord;
    record[0] = GSPointerSlot(const_cast<GSFunction*>(function));
    record[1] = GSIntSlot(returnPosition);
    record[2] = GSPointerSlot(topFrame_);
    record[3] = GSPointerSlot(top_ + function->argumentBase);
    topFrame_ = record;
    top_ += function->frameAdvance;
    return true;
}

bool GSStack::PopFrame() {
    if (!topFrame_ || top_ != topFrame_ + 3) return false;
    GSSlot* record = topFrame_;
    GSSlot* base = GSFrame::ArgumentBase(record);
    ReleaseFrameSlots(record);
    top_ = base - 1;
    returnPosition_ = GSFrame::ReturnPosition(record);
    topFrame_ = GSFrame::Previous(record);
    return true;
}

bool GSStack::ReturnValue(bool missingValue) {
    if (!topFrame_) return false;
    const auto diff = static_cast<int32_t>(top_ - topFrame_);
    if (diff != 4 && !(diff == 3 && missingValue)) {
        GSLog("GSStack::ReturnValue> diff=%d", diff);
        return false;
    }
    const GSSlot result = diff == 4 ? *top_ : GSIntSlot(0);
    GSSlot* record = topFrame_;
    GSSlot* base = GSFrame::ArgumentBase(record);
    ReleaseFrameSlots(record);
    base[0] = result;
    top_ = base;
    returnPosition_ = GSFrame::ReturnPosition(record);
    topFrame_ = GSFrame::Previous(record);
    return true;
}

void GSStack::Reset() {
    while (topFrame_) {
        GSSlot* record = topFrame_;
        ReleaseFrameSlots(record);
        topFrame_ = GSFrame::Previous(record);
    }
    top_ = slots_ - 1;
    returnPosition_ = 0;
}

void GSStack::Dump() const {
    const GSSlot* above = nullptr;
    for (const GSSlot* record = topFrame_; record; record = GSFrame::Previous(record)) {
        const GSFunction* function = GSFrame::Function(record);
        const int32_t line =
            above && function ? function->LineOf(GSFrame::ReturnPosition(above)) : -1;
        GSLog("function %s, line %d", FunctionName(function), line);
        above = record;
    }
}

GSContext* GSStack::GetContext() const {
    for (const GSSlot* record = topFrame_; record; record = GSFrame::Previous(record)) {
        const GSObject* object = ReceiverObject(record);
        if (object && object->Context()) return object->Context();
    }
    return nullptr;
}
