// The bodies of the fused steps of the run copy (gs_fused_code.h), over the same few fields
// of GSHotState as the hot instructions. A body is entered with ip just past the fused opcode
// byte, so `op` below is the position of the sequence's first instruction; it leaves ip where
// the instructions would (at a taken jump, on the jump's operand, as the budget counts it).
// Where an instruction of the sequence could fail, the body runs the first instruction's own
// body instead, and the others follow from the unchanged bytes.
#pragma once

#include "script_runtime/gs_fused_code.h"
#include "script_runtime/gs_op_hot.h"

namespace GSInterpreter {
namespace Fused {

inline const uint8_t* Start(const GSHotState& s) { return s.ip - 1; }
inline GSSlot& LocalAt(GSHotState& s, const uint8_t* operand) { return s.args[ReadU16(operand)]; }

// LocalLoad a (op), LocalLoad b (op + 3), IntCompare, Is<sign> (op + 7), jump (op + 8).
template <int32_t (*Sign)(int32_t), bool kJumpOnZero>
inline bool CompareLocalsJump(GSHotState& s) {
    const uint8_t* op = Start(s);
    const int32_t flag = Sign(Hot::Sub(LocalAt(s, op + 1).i, LocalAt(s, op + 4).i));
    if ((flag == 0) == kJumpOnZero) {
        s.ip = op + 9;
        return Hot::JumpTo(s, ReadI32(op + 9));
    }
    s.ip = op + 13;
    return true;
}

// The value array a frame slot refers to, or null.
inline GSArray* LocalValueArray(GSHotState& s, const uint8_t* operand) {
    GSSlot* reference = RefOf(LocalAt(s, operand));
    return reference ? ArrayOf(reference, false) : nullptr;
}

// LocalLoadObject a, LocalLoad k, ArrayLoad: the element, the array's count untouched.
inline bool ArrayLoadLocals(GSHotState& s) {
    const uint8_t* op = Start(s);
    const GSArray* array = LocalValueArray(s, op + 1);
    const int32_t index = LocalAt(s, op + 4).i;
    if (!array || index < 0 || index >= array->Count()) return Hot::LocalLoadObject(s);
    *++s.sp = array->Elements()[index];
    s.ip = op + 7;
    return true;
}

// The value pushed by the instruction at `at` and its length.
inline GSSlot ZeroValue(GSHotState&, const uint8_t*) { return GSIntSlot(0); }
inline GSSlot OneValue(GSHotState&, const uint8_t*) { return GSIntSlot(1); }
inline GSSlot LocalValue(GSHotState& s, const uint8_t* at) { return LocalAt(s, at + 1); }
inline GSSlot IntValue(GSHotState&, const uint8_t* at) { return GSIntSlot(ReadI32(at + 1)); }

// LocalLoadObject a, LocalLoad k, <value>, ArrayStore, for an element inside the array.
// Inlined always: a call would take the loop state's address and keep it out of registers.
template <GSSlot (*Value)(GSHotState&, const uint8_t*), int kValueLength>
[[gnu::always_inline]] inline bool ArrayStoreLocals(GSHotState& s) {
    const uint8_t* op = Start(s);
    GSArray* array = LocalValueArray(s, op + 1);
    const int32_t index = LocalAt(s, op + 4).i;
    if (!array || index < 0 || index >= array->Count()) return Hot::LocalLoadObject(s);
    array->SetInt(index, Value(s, op + 6).i);
    s.ip = op + 7 + kValueLength;
    return true;
}

// LocalLoad a, LocalLoad b, IntAdd / IntSub, LocalStore c.
template <int32_t (*Op)(int32_t, int32_t)>
inline bool LocalsStore(GSHotState& s) {
    const uint8_t* op = Start(s);
    PutInt(LocalAt(s, op + 8), Op(LocalAt(s, op + 1).i, LocalAt(s, op + 4).i));
    s.ip = op + 10;
    return true;
}

// LocalLoad a, Dup, IntInc / IntDec, LocalStore c, Pop.
template <int32_t (*Op)(int32_t)>
inline bool StepLocal(GSHotState& s) {
    const uint8_t* op = Start(s);
    PutInt(LocalAt(s, op + 6), Op(LocalAt(s, op + 1).i));
    s.ip = op + 9;
    return true;
}

// SelfLoad m, Dup, IntInc / IntDec, SelfStore n, Pop.
template <int32_t (*Op)(int32_t)>
inline bool StepSelf(GSHotState& s) {
    const uint8_t* op = Start(s);
    GSSlot* receiver = RefOf(s.args[0]);
    if (!receiver) return Hot::SelfLoad(s);
    PutInt(receiver[ReadU16(op + 6)], Op(receiver[ReadU16(op + 1)].i));
    s.ip = op + 9;
    return true;
}

// PushZero, IntCompare, IntNot, JumpIfZero / JumpIfNotZero (op + 3): the top value popped,
// the jump taken when it is not zero / zero.
template <bool kJumpOnNonZero>
inline bool JumpOnValue(GSHotState& s) {
    const uint8_t* op = Start(s);
    const int32_t value = s.sp->i;
    --s.sp;
    if ((value != 0) == kJumpOnNonZero) {
        s.ip = op + 4;
        return Hot::JumpTo(s, ReadI32(op + 4));
    }
    s.ip = op + 8;
    return true;
}

using Body = bool (*)(GSHotState&);
inline constexpr Body kCompareNegativeZero = CompareLocalsJump<Hot::IsNegative, true>;
inline constexpr Body kCompareNegativeNotZero = CompareLocalsJump<Hot::IsNegative, false>;
inline constexpr Body kCompareNotPositiveZero = CompareLocalsJump<Hot::IsNotPositive, true>;
inline constexpr Body kCompareNotPositiveNotZero = CompareLocalsJump<Hot::IsNotPositive, false>;
inline constexpr Body kComparePositiveZero = CompareLocalsJump<Hot::IsPositive, true>;
inline constexpr Body kComparePositiveNotZero = CompareLocalsJump<Hot::IsPositive, false>;
inline constexpr Body kCompareNotNegativeZero = CompareLocalsJump<Hot::IsNotNegative, true>;
inline constexpr Body kCompareNotNegativeNotZero = CompareLocalsJump<Hot::IsNotNegative, false>;
inline constexpr Body kStoreZero = ArrayStoreLocals<ZeroValue, 1>;
inline constexpr Body kStoreOne = ArrayStoreLocals<OneValue, 1>;
inline constexpr Body kStoreLocal = ArrayStoreLocals<LocalValue, 3>;
inline constexpr Body kStoreInt = ArrayStoreLocals<IntValue, 5>;
inline constexpr Body kAddLocals = LocalsStore<Hot::Add>;
inline constexpr Body kSubLocals = LocalsStore<Hot::Sub>;
inline constexpr Body kIncrementLocal = StepLocal<Hot::Inc>;
inline constexpr Body kDecrementLocal = StepLocal<Hot::Dec>;
inline constexpr Body kIncrementSelf = StepSelf<Hot::Inc>;
inline constexpr Body kDecrementSelf = StepSelf<Hot::Dec>;
inline constexpr Body kJumpIfNonZero = JumpOnValue<true>;
inline constexpr Body kJumpIfZero = JumpOnValue<false>;

}  // namespace Fused
}  // namespace GSInterpreter

// The fused steps: X(label, opcode, body); the sign tests and jumps in the order that
// OPX_CompareLocalsJumpFirst + sign * 2 + jump numbers them.
#define GS_FUSED_OPCODES(X)                                                                         \
    X(CompareNegativeZero, OPX_CompareLocalsJumpFirst + 0, Fused::kCompareNegativeZero)             \
    X(CompareNegativeNotZero, OPX_CompareLocalsJumpFirst + 1, Fused::kCompareNegativeNotZero)       \
    X(CompareNotPositiveZero, OPX_CompareLocalsJumpFirst + 2, Fused::kCompareNotPositiveZero)       \
    X(CompareNotPositiveNotZero, OPX_CompareLocalsJumpFirst + 3, Fused::kCompareNotPositiveNotZero) \
    X(ComparePositiveZero, OPX_CompareLocalsJumpFirst + 4, Fused::kComparePositiveZero)             \
    X(ComparePositiveNotZero, OPX_CompareLocalsJumpFirst + 5, Fused::kComparePositiveNotZero)       \
    X(CompareNotNegativeZero, OPX_CompareLocalsJumpFirst + 6, Fused::kCompareNotNegativeZero)       \
    X(CompareNotNegativeNotZero, OPX_CompareLocalsJumpFirst + 7, Fused::kCompareNotNegativeNotZero) \
    X(ArrayLoadLocals, OPX_ArrayLoadLocals, Fused::ArrayLoadLocals)                                 \
    X(StoreZero, OPX_ArrayStoreLocalsZero, Fused::kStoreZero)                                       \
    X(StoreOne, OPX_ArrayStoreLocalsOne, Fused::kStoreOne)                                          \
    X(StoreLocal, OPX_ArrayStoreLocalsLocal, Fused::kStoreLocal)                                    \
    X(StoreInt, OPX_ArrayStoreLocalsInt, Fused::kStoreInt)                                          \
    X(AddLocals, OPX_AddLocalsStore, Fused::kAddLocals)                                             \
    X(SubLocals, OPX_SubLocalsStore, Fused::kSubLocals)                                             \
    X(IncrementLocal, OPX_IncrementLocal, Fused::kIncrementLocal)                                   \
    X(DecrementLocal, OPX_DecrementLocal, Fused::kDecrementLocal)                                   \
    X(IncrementSelf, OPX_IncrementSelf, Fused::kIncrementSelf)                                      \
    X(DecrementSelf, OPX_DecrementSelf, Fused::kDecrementSelf)                                      \
    X(JumpIfNonZero, OPX_JumpIfNonZeroValue, Fused::kJumpIfNonZero)                                 \
    X(JumpIfZero, OPX_JumpIfZeroValue, Fused::kJumpIfZero)
