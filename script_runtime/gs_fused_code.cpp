// The fusion pass over verified code: the instructions are decoded in order and, where one
// starts a known sequence, its opcode byte in the copy becomes the sequence's.
#include "script_runtime/gs_fused_code.h"

#include <initializer_list>

#include "script_runtime/gs_instruction.h"
#include "script_runtime/gs_opcode.h"

namespace {

// Where an instruction starts and what it is.
struct Step {
    size_t offset;
    GSOpcode opcode;
};
using Steps = std::vector<Step>;

// Whether the instructions from i on have exactly these opcodes.
bool Follows(const Steps& list, size_t i, std::initializer_list<GSOpcode> opcodes) {
    if (list.size() - i < opcodes.size()) return false;
    for (GSOpcode opcode : opcodes)
        if (list[i++].opcode != opcode) return false;
    return true;
}

GSOpcode At(const Steps& list, size_t i) { return i < list.size() ? list[i].opcode : OP_Return; }

int SignIndex(GSOpcode opcode) {
    switch (opcode) {
    case OP_IsNegative: return 0;
    case OP_IsNotPositive: return 1;
    case OP_IsPositive: return 2;
    case OP_IsNotNegative: return 3;
    default: return -1;
    }
}

int JumpIndex(GSOpcode opcode) { return opcode == OP_JumpIfZero ? 0 : opcode == OP_JumpIfNotZero ? 1 : -1; }

// The fused opcode starting at i and the number of instructions it covers; 0 for none.
struct Match {
    uint8_t opcode = 0;
    size_t count = 0;
};

Match CompareLocals(const Steps& list, size_t i) {
    if (!Follows(list, i, {OP_LocalLoad, OP_LocalLoad, OP_IntCompare})) return {};
    const int sign = SignIndex(At(list, i + 3));
    const int jump = JumpIndex(At(list, i + 4));
    if (sign < 0 || jump < 0) return {};
    return {static_cast<uint8_t>(OPX_CompareLocalsJumpFirst + sign * 2 + jump), 5};
}

Match ArrayLocals(const Steps& list, size_t i) {
    if (!Follows(list, i, {OP_LocalLoadObject, OP_LocalLoad})) return {};
    if (At(list, i + 2) == OP_ArrayLoad) return {OPX_ArrayLoadLocals, 3};
    if (At(list, i + 3) != OP_ArrayStore) return {};
    switch (At(list, i + 2)) {
    case OP_PushZero: return {OPX_ArrayStoreLocalsZero, 4};
    case OP_PushOne: return {OPX_ArrayStoreLocalsOne, 4};
    case OP_LocalLoad: return {OPX_ArrayStoreLocalsLocal, 4};
    case OP_PushInt: return {OPX_ArrayStoreLocalsInt, 4};
    default: return {};
    }
}

Match Arithmetic(const Steps& list, size_t i) {
    if (Follows(list, i, {OP_LocalLoad, OP_LocalLoad, OP_IntAdd, OP_LocalStore})) return {OPX_AddLocalsStore, 4};
    if (Follows(list, i, {OP_LocalLoad, OP_LocalLoad, OP_IntSub, OP_LocalStore})) return {OPX_SubLocalsStore, 4};
    if (Follows(list, i, {OP_LocalLoad, OP_Dup, OP_IntInc, OP_LocalStore, OP_Pop})) return {OPX_IncrementLocal, 5};
    if (Follows(list, i, {OP_LocalLoad, OP_Dup, OP_IntDec, OP_LocalStore, OP_Pop})) return {OPX_DecrementLocal, 5};
    if (Follows(list, i, {OP_SelfLoad, OP_Dup, OP_IntInc, OP_SelfStore, OP_Pop})) return {OPX_IncrementSelf, 5};
    if (Follows(list, i, {OP_SelfLoad, OP_Dup, OP_IntDec, OP_SelfStore, OP_Pop})) return {OPX_DecrementSelf, 5};
    if (Follows(list, i, {OP_PushZero, OP_IntCompare, OP_IntNot, OP_JumpIfZero})) return {OPX_JumpIfNonZeroValue, 4};
    if (Follows(list, i, {OP_PushZero, OP_IntCompare, OP_IntNot, OP_JumpIfNotZero})) return {OPX_JumpIfZeroValue, 4};
    return {};
}

Match MatchAt(const Steps& list, size_t i) {
    for (Match (*matcher)(const Steps&, size_t) : {CompareLocals, ArrayLocals, Arithmetic}) {
        const Match match = matcher(list, i);
        if (match.count > 0) return match;
    }
    return {};
}

}  // namespace

// Empty when nothing is fused: the code itself then runs.
std::vector<uint8_t> FuseGSCode(std::span<const uint8_t> code) {
    Steps list;
    for (size_t offset = 0; offset < code.size();) {
        GSInstruction instruction;
        if (DecodeGSInstruction(code, offset, instruction) != GSDecodeResult::Ok) return {};
        list.push_back({offset, instruction.info->opcode});
        offset += instruction.length;
    }
    std::vector<uint8_t> fused;
    for (size_t i = 0; i < list.size();) {
        const Match match = MatchAt(list, i);
        if (match.count == 0) {
            ++i;
            continue;
        }
        if (fused.empty()) fused.assign(code.begin(), code.end());
        fused[list[i].offset] = match.opcode;
        i += match.count;
    }
    return fused;
}
