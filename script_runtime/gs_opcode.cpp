// The byte code's properties table, one row per opcode in opcode order, and the operand
// widths of each layout. Columns of a row: opcode, name, operand layout, stack slots taken,
// stack slots left (see gs_opcode.h for the notation).
#include "script_runtime/gs_opcode.h"

#include <array>
#include <cassert>

namespace {

// The name is the enumerator's own spelling, so the two cannot drift apart.
#define GS_ROW(op, operands, taken, left) GSOpcodeInfo{op, #op, operands, taken, left}

constexpr int8_t kByCall = kGSStackByCall;

constexpr std::array<GSOpcodeInfo, kGSOpcodeCount> kOpcodeTable = {
    GS_ROW(OP_IntAdd, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntSub, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntMul, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntDiv, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntMod, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntNeg, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IntInc, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IntDec, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IntToFloat, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IntCompare, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_PushZero, GS_OPERANDS_NONE, 0, 1),
    GS_ROW(OP_PushOne, GS_OPERANDS_NONE, 0, 1),
    GS_ROW(OP_IntNot, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IntAnd, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntOr, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntXor, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntComplement, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IntShiftLeft, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_IntShiftRight, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatAdd, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatSub, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatMul, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatDiv, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatMod, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatNeg, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_FloatInc, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_FloatDec, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_FloatToInt, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_FloatCompare, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_FloatNot, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_PushInt, GS_OPERANDS_VALUE, 0, 1),
    GS_ROW(OP_LocalLoad, GS_OPERANDS_LOCAL, 0, 1),
    GS_ROW(OP_LocalLoadObject, GS_OPERANDS_LOCAL, 0, 1),
    GS_ROW(OP_LocalStore, GS_OPERANDS_LOCAL, 1, 0),
    GS_ROW(OP_LocalStoreKeep, GS_OPERANDS_LOCAL, 1, 1),
    GS_ROW(OP_LocalStoreObject, GS_OPERANDS_LOCAL, 1, 0),
    GS_ROW(OP_LocalStoreObjectKeep, GS_OPERANDS_LOCAL, 1, 1),
    GS_ROW(OP_Pop, GS_OPERANDS_NONE, 1, 0),
    GS_ROW(OP_PopObject, GS_OPERANDS_NONE, 1, 0),
    GS_ROW(OP_Dup, GS_OPERANDS_NONE, 1, 2),
    GS_ROW(OP_DupObject, GS_OPERANDS_NONE, 1, 2),
    GS_ROW(OP_DupPair, GS_OPERANDS_NONE, 2, 4),
    GS_ROW(OP_Swap, GS_OPERANDS_NONE, 2, 2),
    GS_ROW(OP_Jump, GS_OPERANDS_TARGET, 0, 0),
    GS_ROW(OP_JumpIfZero, GS_OPERANDS_TARGET, 1, 0),
    GS_ROW(OP_JumpIfNotZero, GS_OPERANDS_TARGET, 1, 0),
    GS_ROW(OP_JumpIfZeroKeep, GS_OPERANDS_TARGET, 1, 1),
    GS_ROW(OP_JumpIfNotZeroKeep, GS_OPERANDS_TARGET, 1, 1),
    GS_ROW(OP_JumpIfNegative, GS_OPERANDS_TARGET, 1, 0),
    GS_ROW(OP_JumpIfNotPositive, GS_OPERANDS_TARGET, 1, 0),
    GS_ROW(OP_JumpIfPositive, GS_OPERANDS_TARGET, 1, 0),
    GS_ROW(OP_JumpIfNotNegative, GS_OPERANDS_TARGET, 1, 0),
    GS_ROW(OP_IsNegative, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IsNotPositive, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IsPositive, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_IsNotNegative, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_ArrayNew, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_ArrayNewObject, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_ArraySize, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_ArrayCopy, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_ArrayLoad, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_ArrayStore, GS_OPERANDS_NONE, 3, 0),
    GS_ROW(OP_ArrayStoreKeep, GS_OPERANDS_NONE, 3, 1),
    GS_ROW(OP_ArrayLoadObject, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_ArrayStoreObject, GS_OPERANDS_NONE, 3, 0),
    GS_ROW(OP_ArrayStoreObjectKeep, GS_OPERANDS_NONE, 3, 1),
    GS_ROW(OP_ArrayRange, GS_OPERANDS_NONE, 3, 1),
    GS_ROW(OP_ArrayRangeStore, GS_OPERANDS_NONE, 4, 0),
    GS_ROW(OP_ArrayRangeStoreKeep, GS_OPERANDS_NONE, 4, 1),
    GS_ROW(OP_ArrayRangeObject, GS_OPERANDS_NONE, 3, 1),
    GS_ROW(OP_ArrayRangeStoreObject, GS_OPERANDS_NONE, 4, 0),
    GS_ROW(OP_ArrayRangeStoreObjectKeep, GS_OPERANDS_NONE, 4, 1),
    GS_ROW(OP_StringNew, GS_OPERANDS_NONE, 0, 1),
    GS_ROW(OP_StringConst, GS_OPERANDS_STRING, 0, 1),
    GS_ROW(OP_IntToString, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_BoolToString, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_FloatToString, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_StringCopy, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_StringLength, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_StringCharAt, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_StringSetChar, GS_OPERANDS_NONE, 3, 0),
    GS_ROW(OP_StringSetCharKeep, GS_OPERANDS_NONE, 3, 1),
    GS_ROW(OP_StringRange, GS_OPERANDS_NONE, 3, 1),
    GS_ROW(OP_StringRangeStore, GS_OPERANDS_NONE, 4, 0),
    GS_ROW(OP_StringRangeStoreKeep, GS_OPERANDS_NONE, 4, 1),
    GS_ROW(OP_StringCompare, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_StringConcat, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_ObjectIsA, GS_OPERANDS_CLASS, 1, 1),
    GS_ROW(OP_ObjectNew, GS_OPERANDS_CLASS, 0, 1),
    GS_ROW(OP_ObjectStatic, GS_OPERANDS_CLASS, 0, 1),
    GS_ROW(OP_ObjectCast, GS_OPERANDS_CLASS, 1, 1),
    GS_ROW(OP_ObjectCompare, GS_OPERANDS_NONE, 2, 1),
    GS_ROW(OP_ObjectIsNull, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_ObjectIsNotNull, GS_OPERANDS_NONE, 1, 1),
    GS_ROW(OP_Call, GS_OPERANDS_CALL, kByCall, kByCall),
    GS_ROW(OP_CallNative, GS_OPERANDS_CALL, kByCall, kByCall),
    GS_ROW(OP_CallThread, GS_OPERANDS_CALL, kByCall, kByCall),
    GS_ROW(OP_MemberLoad, GS_OPERANDS_MEMBER, 1, 1),
    GS_ROW(OP_MemberLoadObject, GS_OPERANDS_MEMBER, 1, 1),
    GS_ROW(OP_MemberStore, GS_OPERANDS_MEMBER, 2, 0),
    GS_ROW(OP_MemberStoreKeep, GS_OPERANDS_MEMBER, 2, 1),
    GS_ROW(OP_MemberStoreObject, GS_OPERANDS_MEMBER, 2, 0),
    GS_ROW(OP_MemberStoreObjectKeep, GS_OPERANDS_MEMBER, 2, 1),
    GS_ROW(OP_SelfLoad, GS_OPERANDS_MEMBER, 0, 1),
    GS_ROW(OP_SelfLoadObject, GS_OPERANDS_MEMBER, 0, 1),
    GS_ROW(OP_SelfStore, GS_OPERANDS_MEMBER, 1, 0),
    GS_ROW(OP_SelfStoreObject, GS_OPERANDS_MEMBER, 1, 0),
    GS_ROW(OP_SelfStoreKeep, GS_OPERANDS_MEMBER, 1, 1),
    GS_ROW(OP_SelfStoreObjectKeep, GS_OPERANDS_MEMBER, 1, 1),
    GS_ROW(OP_Return, GS_OPERANDS_NONE, 0, 0),
    GS_ROW(OP_ReturnValue, GS_OPERANDS_NONE, 1, 0),
    GS_ROW(OP_ReturnObject, GS_OPERANDS_NONE, 1, 0),
    GS_ROW(OP_Wait, GS_OPERANDS_WAIT, 0, 0),
    GS_ROW(OP_Switch, GS_OPERANDS_SWITCH, 1, 0),
    GS_ROW(OP_CallInherited, GS_OPERANDS_INHERITED, kByCall, kByCall),
    GS_ROW(OP_IntToBool, GS_OPERANDS_NONE, 1, 1),
};

#undef GS_ROW

constexpr bool RowsInOpcodeOrder() {
    for (int i = 0; i < kGSOpcodeCount; ++i)
        if (kOpcodeTable[i].opcode != i) return false;
    return true;
}
static_assert(RowsInOpcodeOrder(), "the properties table must list the opcodes in order");

// Indexed by GSOperandLayout: {fixed bytes, bytes per case}.
constexpr std::array<GSOperandWidths, kGSOperandLayoutCount> kOperandWidths = {{
    {0, 0}, // GS_OPERANDS_NONE
    {4, 0}, // GS_OPERANDS_VALUE: i32
    {4, 0}, // GS_OPERANDS_TARGET: i32
    {2, 0}, // GS_OPERANDS_LOCAL: u16
    {2, 0}, // GS_OPERANDS_STRING: u16
    {2, 0}, // GS_OPERANDS_CLASS: u16
    {2, 0}, // GS_OPERANDS_MEMBER: u16
    {4, 0}, // GS_OPERANDS_CALL: i16, u16
    {2, 0}, // GS_OPERANDS_INHERITED: i16
    {2, 8}, // GS_OPERANDS_WAIT: u16 n; per case u16, u16, i32
    {6, 8}, // GS_OPERANDS_SWITCH: u16 n, i32 default; per case i32, i32
}};

} // namespace

const GSOperandWidths& GetGSOperandWidths(GSOperandLayout layout) {
    assert(layout < kGSOperandLayoutCount);
    return kOperandWidths[layout];
}

const GSOpcodeInfo* FindGSOpcodeInfo(uint8_t byte) {
    return byte < kGSOpcodeCount ? &kOpcodeTable[byte] : nullptr;
}

const GSOpcodeInfo& GetGSOpcodeInfo(GSOpcode opcode) {
    assert(opcode < kGSOpcodeCount);
    return kOpcodeTable[opcode];
}
