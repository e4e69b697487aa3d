// The byte-code verifier: one pass to find the instruction starts, one to check operands.
#include "script_runtime/gs_code_verifier.h"

#include <vector>

#include "script_runtime/gs_instruction.h"

namespace {

constexpr uint32_t kFirstMemberSlot = 2;

bool IsReceiverMember(GSOpcode opcode) { return opcode >= OP_SelfLoad && opcode <= OP_SelfStoreObjectKeep; }

// Instructions after which execution never continues with the next byte.
bool EndsFlow(GSOpcode opcode) {
    return opcode == OP_Jump || opcode == OP_Return || opcode == OP_ReturnValue || opcode == OP_ReturnObject ||
           opcode == OP_Switch || opcode == OP_Wait;
}

class Checker {
  public:
    Checker(std::span<const uint8_t> code, const GSCodeLimits& limits, const std::vector<bool>& starts)
        : code_(code), limits_(limits), starts_(starts) {}

    bool Check(const GSInstruction& instruction) const {
        const std::span<const uint8_t> operands = instruction.operands;
        switch (instruction.info->operands) {
            case GS_OPERANDS_NONE:
            case GS_OPERANDS_VALUE:
                return true;
            case GS_OPERANDS_TARGET:
                return Target(GSOperandI32(operands, 0));
            case GS_OPERANDS_LOCAL:
                return GSOperandU16(operands, 0) < limits_.frameSlots;
            case GS_OPERANDS_STRING:
                return GSOperandU16(operands, 0) < limits_.strings;
            case GS_OPERANDS_CLASS:
                return GSOperandU16(operands, 0) < limits_.classRefs;
            case GS_OPERANDS_MEMBER:
                return Member(instruction.info->opcode, GSOperandU16(operands, 0));
            case GS_OPERANDS_CALL:
            case GS_OPERANDS_INHERITED:
                return GSOperandI16(operands, 0) <= 0;
            case GS_OPERANDS_WAIT:
                return Wait(operands, instruction.cases);
            case GS_OPERANDS_SWITCH:
                return Switch(operands, instruction.cases);
        }
        return false;
    }

  private:
    bool Target(int32_t target) const {
        return target >= 0 && static_cast<size_t>(target) < code_.size() && starts_[static_cast<size_t>(target)];
    }

    bool Member(GSOpcode opcode, uint16_t slot) const {
        if (slot < kFirstMemberSlot) return false;
        if (!IsReceiverMember(opcode)) return true;
        if (slot >= limits_.receiverSlots) return false;
        for (int32_t offset : limits_.viewOffsets)
            if (slot == offset || slot == offset + 1) return false;
        return true;
    }

    bool Wait(std::span<const uint8_t> operands, size_t cases) const {
        for (size_t i = 0; i < cases; ++i) {
            if (GSOperandU16(operands, 2 + 4 * i) >= limits_.strings) return false;
            if (GSOperandU16(operands, 4 + 4 * i) >= limits_.strings) return false;
            if (!Target(GSOperandI32(operands, 2 + 4 * cases + 4 * i))) return false;
        }
        return true;
    }

    bool Switch(std::span<const uint8_t> operands, size_t cases) const {
        for (size_t i = 0; i <= cases; ++i)
            if (!Target(GSOperandI32(operands, 2 + 4 * cases + 4 * i))) return false;
        return true;
    }

    std::span<const uint8_t> code_;
    const GSCodeLimits& limits_;
    const std::vector<bool>& starts_;
};

}  // namespace

bool VerifyGSCode(std::span<const uint8_t> code, const GSCodeLimits& limits) {
    std::vector<bool> starts(code.size(), false);
    std::vector<GSInstruction> instructions;
    for (size_t offset = 0; offset < code.size();) {
        GSInstruction instruction;
        if (DecodeGSInstruction(code, offset, instruction) != GSDecodeResult::Ok) return false;
        starts[offset] = true;
        offset += instruction.length;
        instructions.push_back(instruction);
    }
    // Execution must never run off the end of the code.
    if (!instructions.empty() && !EndsFlow(instructions.back().info->opcode)) return false;
    const Checker checker(code, limits, starts);
    for (const GSInstruction& instruction : instructions)
        if (!checker.Check(instruction)) return false;
    return true;
}
