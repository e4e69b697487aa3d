// The run copy of a function's code: the verified byte code with the first opcode byte of
// some short, frequent instruction sequences replaced by an internal opcode (128 and up,
// bytes no library may hold) that the dispatch loop runs as one step. Every other byte stays,
// so positions, jump targets, operands, line pairs and the run budget's byte counts are those
// of the library's code, and a jump into the middle of a sequence runs its own instructions.
// A fused step does what its instructions do; where one of them could fail (a null or
// foreign reference, an index outside the array), it runs the first instruction alone and
// the rest follow one by one, so a failure is reported exactly as without fusion.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

enum GSFusedOpcode : uint8_t {
    // LocalLoad a, LocalLoad b, IntCompare, Is<sign>, JumpIfZero / JumpIfNotZero target
    OPX_CompareLocalsJumpFirst = 128,  // 8 opcodes: sign test (4) x jump (2)
    // LocalLoadObject a, LocalLoad k, ArrayLoad
    OPX_ArrayLoadLocals = 136,
    // LocalLoadObject a, LocalLoad k, <value>, ArrayStore; the value PushZero, PushOne,
    // LocalLoad v or PushInt n
    OPX_ArrayStoreLocalsZero = 137,
    OPX_ArrayStoreLocalsOne = 138,
    OPX_ArrayStoreLocalsLocal = 139,
    OPX_ArrayStoreLocalsInt = 140,
    // LocalLoad a, LocalLoad b, IntAdd / IntSub, LocalStore c
    OPX_AddLocalsStore = 141,
    OPX_SubLocalsStore = 142,
    // LocalLoad a, Dup, IntInc / IntDec, LocalStore c, Pop
    OPX_IncrementLocal = 143,
    OPX_DecrementLocal = 144,
    // SelfLoad m, Dup, IntInc / IntDec, SelfStore n, Pop
    OPX_IncrementSelf = 145,
    OPX_DecrementSelf = 146,
    // PushZero, IntCompare, IntNot, JumpIfZero / JumpIfNotZero target
    OPX_JumpIfNonZeroValue = 147,
    OPX_JumpIfZeroValue = 148,
};

// The run copy of verified code (every instruction whole, the last one ending the flow);
// empty when no sequence is fused, and the code itself runs.
std::vector<uint8_t> FuseGSCode(std::span<const uint8_t> code);
