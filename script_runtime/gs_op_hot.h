// The bodies of the instructions that loops spend their time in: integer arithmetic and
// tests, constants, frame slots (an array or string reference loaded to be indexed
// included), jumps, array elements and the receiver's members. Each is
// written once, here, over the few fields of GSHotState; the dispatch loop runs them inline
// with that state in registers, and the handler table reaches the same bodies through
// GSHotHandler. A body is entered with ip just past its opcode byte and answers false when
// the run ends (result set).
#pragma once

#include <climits>

#include "script_runtime/gs_array.h"
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_script_instance.h"

namespace GSInterpreter {

// The same body as a table handler.
template <bool (*Body)(GSHotState&)>
bool GSHotHandler(GSRun& run) {
    return Body(run);
}

// The array of a non-null reference, or null for any other kind of object: the verifier
// knows a reference, not what it refers to. With an element kind, null as well for an array
// of the other kind.
inline GSArray* ArrayOf(GSSlot* reference) {
    GSObjectReference* object = GSInstanceOf(reference)->NativeObject();
    return object && object->ReferenceKind() == GS_REFERENCE_ARRAY ? static_cast<GSArray*>(object) : nullptr;
}
inline GSArray* ArrayOf(GSSlot* reference, bool references) {
    GSArray* array = ArrayOf(reference);
    return array && array->HoldsReferences() == references ? array : nullptr;
}

namespace Hot {

// Wrapping arithmetic is done on the unsigned values; the conversion back is modular.
inline int32_t Wrap(uint32_t value) { return static_cast<int32_t>(value); }
inline uint32_t U(const GSSlot& slot) { return static_cast<uint32_t>(slot.i); }

template <int32_t (*Op)(int32_t, int32_t)>
inline bool Binary(GSHotState& s) {
    const int32_t b = s.sp->i;
    --s.sp;
    PutInt(*s.sp, Op(s.sp->i, b));
    return true;
}

template <int32_t (*Op)(int32_t)>
inline bool Unary(GSHotState& s) {
    PutInt(*s.sp, Op(s.sp->i));
    return true;
}

inline int32_t Add(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
inline int32_t Sub(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
inline int32_t Mul(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
inline int32_t And(int32_t a, int32_t b) { return a & b; }
inline int32_t Or(int32_t a, int32_t b) { return a | b; }
inline int32_t Xor(int32_t a, int32_t b) { return a ^ b; }
inline int32_t ShiftLeft(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) << (static_cast<uint32_t>(b) & 31)); }
// Logical: zeros enter at the top.
inline int32_t ShiftRight(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) >> (static_cast<uint32_t>(b) & 31)); }
inline int32_t Neg(int32_t a) { return Wrap(0u - static_cast<uint32_t>(a)); }
inline int32_t Inc(int32_t a) { return Wrap(static_cast<uint32_t>(a) + 1u); }
inline int32_t Dec(int32_t a) { return Wrap(static_cast<uint32_t>(a) - 1u); }
inline int32_t Complement(int32_t a) { return ~a; }
inline int32_t Not(int32_t a) { return a == 0 ? 1 : 0; }
inline int32_t ToBool(int32_t a) { return a != 0 ? 1 : 0; }
inline int32_t IsNegative(int32_t a) { return a < 0 ? 1 : 0; }
inline int32_t IsNotPositive(int32_t a) { return a <= 0 ? 1 : 0; }
inline int32_t IsPositive(int32_t a) { return a > 0 ? 1 : 0; }
inline int32_t IsNotNegative(int32_t a) { return a >= 0 ? 1 : 0; }

// Division by zero leaves both operands on the stack. INT_MIN / -1 is INT_MIN (the
// wrapped negation) and INT_MIN % -1 is 0, never the processor's trap.
inline bool Div(GSHotState& s) {
    const int32_t b = s.sp->i;
    if (b == 0) return s.Fail(ER_DivideByZero);
    --s.sp;
    PutInt(*s.sp, b == -1 ? Neg(s.sp->i) : s.sp->i / b);
    return true;
}

inline bool Mod(GSHotState& s) {
    const int32_t b = s.sp->i;
    if (b == 0) return s.Fail(ER_DivideByZero);
    --s.sp;
    PutInt(*s.sp, b == -1 ? 0 : s.sp->i % b);
    return true;
}

inline bool Push(GSHotState& s, int32_t value) {
    PutInt(*++s.sp, value);
    return true;
}
inline bool PushZero(GSHotState& s) { return Push(s, 0); }
inline bool PushOne(GSHotState& s) { return Push(s, 1); }
inline bool PushInt(GSHotState& s) {
    const int32_t value = ReadI32(s.ip);
    s.ip += 4;
    return Push(s, value);
}

inline GSSlot& Local(GSHotState& s) {
    GSSlot& slot = s.args[ReadU16(s.ip)];
    s.ip += 2;
    return slot;
}
inline bool LocalLoad(GSHotState& s) {
    const GSSlot value = Local(s);
    *++s.sp = value;
    return true;
}
inline bool LocalLoadObject(GSHotState& s) {
    const GSSlot value = Local(s);
    GSAddReference(RefOf(value));
    *++s.sp = value;
    return true;
}
inline bool LocalStore(GSHotState& s) {
    Local(s) = *s.sp--;
    return true;
}
inline bool LocalStoreKeep(GSHotState& s) {
    Local(s) = *s.sp;
    return true;
}
inline bool Pop(GSHotState& s) {
    --s.sp;
    return true;
}
inline bool Dup(GSHotState& s) {
    s.sp[1] = s.sp[0];
    ++s.sp;
    return true;
}
inline bool Swap(GSHotState& s) {
    const GSSlot top = s.sp[0];
    s.sp[0] = s.sp[-1];
    s.sp[-1] = top;
    return true;
}

// A taken jump charges the straight run that ends with it.
inline bool JumpTo(GSHotState& s, int32_t target) {
    const uint8_t* next = s.codeBase + target;
    if (!ChargeTransfer(s, next)) return false;
    s.ip = next;
    return true;
}
inline bool Jump(GSHotState& s) { return JumpTo(s, ReadI32(s.ip)); }

template <bool (*Taken)(int32_t), bool kKeep>
inline bool JumpIf(GSHotState& s) {
    const int32_t value = s.sp->i;
    if (!kKeep) --s.sp;
    if (Taken(value)) return JumpTo(s, ReadI32(s.ip));
    s.ip += 4;
    return true;
}
inline bool Zero(int32_t v) { return v == 0; }
inline bool NotZero(int32_t v) { return v != 0; }
inline bool Negative(int32_t v) { return v < 0; }
inline bool NotPositive(int32_t v) { return v <= 0; }
inline bool Positive(int32_t v) { return v > 0; }
inline bool NotNegative(int32_t v) { return v >= 0; }

// a, k -> element k; a released.
inline bool ArrayLoad(GSHotState& s) {
    GSSlot* reference = RefOf(s.sp[-1]);
    if (!reference) return s.Fail(ER_NullArrayReference);
    const GSArray* array = ArrayOf(reference, false);
    if (!array) return s.Fail(ER_IllegalInstruction);
    const int32_t index = s.sp->i;
    if (index < 0 || index >= array->Count()) return s.Fail(ER_ArrayOutOfBounds);
    --s.sp;
    *s.sp = array->Elements()[index];
    GSReleaseReference(reference);
    return true;
}

// a, k, v -> (v when kept); the array grows to hold k; a released.
template <bool kKeep>
inline bool ArrayStore(GSHotState& s) {
    GSSlot* reference = RefOf(s.sp[-2]);
    if (!reference) return s.Fail(ER_NullArrayReference);
    GSArray* array = ArrayOf(reference, false);
    if (!array) return s.Fail(ER_IllegalInstruction);
    const GSSlot value = *s.sp;
    if (!array->SetInt(s.sp[-1].i, value.i)) return s.Fail(ER_ArrayOutOfBounds);
    s.sp -= kKeep ? 2 : 3;
    if (kKeep) *s.sp = value;
    GSReleaseReference(reference);
    return true;
}

// The receiver is never null in compiled code; a frame slot 0 overwritten with null by
// other code ends the run instead of being read through.
inline GSSlot* Member(GSHotState& s) {
    GSSlot* receiver = RefOf(s.args[0]);
    GSSlot* slot = receiver ? receiver + ReadU16(s.ip) : nullptr;
    s.ip += 2;
    return slot;
}
inline bool SelfLoad(GSHotState& s) {
    const GSSlot* member = Member(s);
    if (!member) return s.Fail(ER_NullReference);
    *++s.sp = *member;
    return true;
}
template <bool kKeep>
inline bool SelfStore(GSHotState& s) {
    GSSlot* member = Member(s);
    if (!member) return s.Fail(ER_NullReference);
    *member = kKeep ? *s.sp : *s.sp--;
    return true;
}

using Body = bool (*)(GSHotState&);
inline constexpr Body kIntAdd = Binary<Add>;
inline constexpr Body kIntSub = Binary<Sub>;
inline constexpr Body kIntMul = Binary<Mul>;
inline constexpr Body kIntCompare = Binary<Sub>;  // the wrapping difference; its sign is read
inline constexpr Body kIntAnd = Binary<And>;
inline constexpr Body kIntOr = Binary<Or>;
inline constexpr Body kIntXor = Binary<Xor>;
inline constexpr Body kIntShiftLeft = Binary<ShiftLeft>;
inline constexpr Body kIntShiftRight = Binary<ShiftRight>;
inline constexpr Body kIntNeg = Unary<Neg>;
inline constexpr Body kIntInc = Unary<Inc>;
inline constexpr Body kIntDec = Unary<Dec>;
inline constexpr Body kIntComplement = Unary<Complement>;
inline constexpr Body kIntNot = Unary<Not>;
inline constexpr Body kIntToBool = Unary<ToBool>;
inline constexpr Body kIsNegative = Unary<IsNegative>;
inline constexpr Body kIsNotPositive = Unary<IsNotPositive>;
inline constexpr Body kIsPositive = Unary<IsPositive>;
inline constexpr Body kIsNotNegative = Unary<IsNotNegative>;
inline constexpr Body kJumpIfZero = JumpIf<Zero, false>;
inline constexpr Body kJumpIfNotZero = JumpIf<NotZero, false>;
inline constexpr Body kJumpIfZeroKeep = JumpIf<Zero, true>;
inline constexpr Body kJumpIfNotZeroKeep = JumpIf<NotZero, true>;
inline constexpr Body kJumpIfNegative = JumpIf<Negative, false>;
inline constexpr Body kJumpIfNotPositive = JumpIf<NotPositive, false>;
inline constexpr Body kJumpIfPositive = JumpIf<Positive, false>;
inline constexpr Body kJumpIfNotNegative = JumpIf<NotNegative, false>;
inline constexpr Body kArrayStore = ArrayStore<false>;
inline constexpr Body kArrayStoreKeep = ArrayStore<true>;
inline constexpr Body kSelfStore = SelfStore<false>;
inline constexpr Body kSelfStoreKeep = SelfStore<true>;

}  // namespace Hot
}  // namespace GSInterpreter

// The hot instructions and their bodies: X(opcode, body).
#define GS_HOT_OPCODES(X)                                                                       \
    X(OP_IntAdd, Hot::kIntAdd) X(OP_IntSub, Hot::kIntSub) X(OP_IntMul, Hot::kIntMul)            \
    X(OP_IntDiv, Hot::Div) X(OP_IntMod, Hot::Mod) X(OP_IntNeg, Hot::kIntNeg)                    \
    X(OP_IntInc, Hot::kIntInc) X(OP_IntDec, Hot::kIntDec) X(OP_IntCompare, Hot::kIntCompare)    \
    X(OP_PushZero, Hot::PushZero) X(OP_PushOne, Hot::PushOne) X(OP_IntNot, Hot::kIntNot)        \
    X(OP_IntAnd, Hot::kIntAnd) X(OP_IntOr, Hot::kIntOr) X(OP_IntXor, Hot::kIntXor)              \
    X(OP_IntComplement, Hot::kIntComplement) X(OP_IntShiftLeft, Hot::kIntShiftLeft)             \
    X(OP_IntShiftRight, Hot::kIntShiftRight) X(OP_PushInt, Hot::PushInt)                        \
    X(OP_LocalLoad, Hot::LocalLoad) X(OP_LocalLoadObject, Hot::LocalLoadObject)                 \
    X(OP_LocalStore, Hot::LocalStore)                                                           \
    X(OP_LocalStoreKeep, Hot::LocalStoreKeep) X(OP_Pop, Hot::Pop) X(OP_Dup, Hot::Dup)           \
    X(OP_Swap, Hot::Swap) X(OP_Jump, Hot::Jump) X(OP_JumpIfZero, Hot::kJumpIfZero)              \
    X(OP_JumpIfNotZero, Hot::kJumpIfNotZero) X(OP_JumpIfZeroKeep, Hot::kJumpIfZeroKeep)         \
    X(OP_JumpIfNotZeroKeep, Hot::kJumpIfNotZeroKeep) X(OP_JumpIfNegative, Hot::kJumpIfNegative) \
    X(OP_JumpIfNotPositive, Hot::kJumpIfNotPositive) X(OP_JumpIfPositive, Hot::kJumpIfPositive) \
    X(OP_JumpIfNotNegative, Hot::kJumpIfNotNegative) X(OP_IsNegative, Hot::kIsNegative)         \
    X(OP_IsNotPositive, Hot::kIsNotPositive) X(OP_IsPositive, Hot::kIsPositive)                 \
    X(OP_IsNotNegative, Hot::kIsNotNegative) X(OP_ArrayLoad, Hot::ArrayLoad)                    \
    X(OP_ArrayStore, Hot::kArrayStore) X(OP_ArrayStoreKeep, Hot::kArrayStoreKeep)               \
    X(OP_SelfLoad, Hot::SelfLoad) X(OP_SelfStore, Hot::kSelfStore)                              \
    X(OP_SelfStoreKeep, Hot::kSelfStoreKeep) X(OP_IntToBool, Hot::kIntToBool)
