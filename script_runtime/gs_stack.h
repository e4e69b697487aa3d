// GSStack: a script thread's value stack of 1024 slots with its chain of call frames.
// A frame is entered by PushFrame and left by PopFrame or ReturnValue; the frame record is
// four consecutive slots (function, return position, previous record, argument base), so
// the chain lives inside the slots themselves. Natives return their results through the
// push operations, which never write past the last slot: a push that does not fit is
// refused and remembered, and the interpreter fails the native call with ER_StackOverflow.
#pragma once

#include <cstdint>
#include <string_view>

#include "script_runtime/gs_slot.h"
#include "script_runtime/gs_slot_kind.h"

class GSClass;
class GSContext;
class GSObject;
struct GSFunction;

// The four slots of a frame record, read and written in place.
namespace GSFrame {
inline const GSFunction* Function(const GSSlot* record) { return static_cast<const GSFunction*>(record[0].p); }
inline int32_t ReturnPosition(const GSSlot* record) { return record[1].i; }
inline GSSlot* Previous(const GSSlot* record) { return static_cast<GSSlot*>(record[2].p); }
inline GSSlot* ArgumentBase(const GSSlot* record) { return static_cast<GSSlot*>(record[3].p); }
}  // namespace GSFrame

class GSStack {
  public:
    static constexpr int32_t kCapacity = 1024;

    GSStack();
    virtual ~GSStack();
    GSStack(const GSStack&) = delete;
    GSStack& operator=(const GSStack&) = delete;

    bool PushFrame(const GSFunction* function, int32_t returnPosition);
    bool PopFrame();
    bool ReturnValue(bool missingValue);
    void Reset();
    void Dump() const;
    GSContext* GetContext() const;

    int32_t ReturnPosition() const { return returnPosition_; }
    void SetReturnPosition(int32_t position) { returnPosition_ = position; }
    GSSlot* Top() const { return top_; }
    void SetTop(GSSlot* top) { top_ = top; }
    GSSlot* TopFrame() const { return topFrame_; }
    void SetTopFrame(GSSlot* record) { topFrame_ = record; }
    GSSlot* Slots() const { return slots_; }
    // Slots free above the top.
    int32_t FreeSlots() const { return static_cast<int32_t>(slots_ + kCapacity - 1 - top_); }

    // Pushes for natives and the interpreter. Each returns false, pushes nothing and sets
    // the overflow mark when the stack is full; a count handed over (PushObjectNoRef,
    // PushReference) is then released. A view for a class that the object is not pushes
    // null (releasing a count handed over).
    bool PushInt(int32_t value);
    bool PushFloat(float value);
    bool PushString(std::string_view text, GSContext* context);
    bool PushObject(GSObject* object, GSClass* gsClass);
    bool PushObjectNoRef(GSObject* object, GSClass* gsClass);
    bool PushReference(GSSlot* reference, GSClass* gsClass);
    // The kind of the result a return left in a slot. The verifier proves a slot whose kind
    // only the callee knew unchanged from that return to the call that passes it on, which
    // reads the kind here.
    void SetResultKind(const GSSlot* slot, GSSlotKind kind) { resultKinds_[slot - (slots_ - 1)] = kind; }
    GSSlotKind ResultKind(const GSSlot* slot) const { return resultKinds_[slot - (slots_ - 1)]; }

    // True when a push was refused since the mark was last cleared.
    bool PushOverflowed() const { return pushOverflowed_; }
    void ClearPushOverflow() { pushOverflowed_ = false; }

  private:
    int32_t returnPosition_ = 0;
    GSSlot* top_ = nullptr;
    GSSlot* slots_ = nullptr;
    GSSlot* topFrame_ = nullptr;
    bool pushOverflowed_ = false;
    GSSlotKind resultKinds_[kCapacity + 1]{};
};
