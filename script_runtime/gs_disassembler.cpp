// The disassembler: decodes instruction after instruction with DecodeGSInstruction and
// formats each by its operand layout.
#include "script_runtime/gs_disassembler.h"

#include "script_runtime/gs_instruction.h"

namespace {

void AppendNumber(std::string& text, int64_t number) {
    text += ' ';
    text += std::to_string(number);
}

// " value:target" per case, then " default:target".
void AppendSwitchTable(std::string& text, const GSInstruction& instruction) {
    const auto& operands = instruction.operands;
    const size_t targets = 2 + 4 * instruction.cases;
    for (size_t i = 0; i < instruction.cases; ++i) {
        AppendNumber(text, GSOperandI32(operands, 2 + 4 * i));
        text += ':' + std::to_string(GSOperandI32(operands, targets + 4 * i));
    }
    text += " default:" + std::to_string(GSOperandI32(operands, targets + 4 * instruction.cases));
}

// " major/minor:target" per case.
void AppendWaitTable(std::string& text, const GSInstruction& instruction) {
    const auto& operands = instruction.operands;
    const size_t targets = 2 + 4 * instruction.cases;
    for (size_t i = 0; i < instruction.cases; ++i) {
        AppendNumber(text, GSOperandU16(operands, 2 + 4 * i));
        text += '/' + std::to_string(GSOperandU16(operands, 4 + 4 * i));
        text += ':' + std::to_string(GSOperandI32(operands, targets + 4 * i));
    }
}

void AppendOperands(std::string& text, const GSInstruction& instruction) {
    const auto& operands = instruction.operands;
    switch (instruction.info->operands) {
    case GS_OPERANDS_NONE:
        return;
    case GS_OPERANDS_VALUE:
    case GS_OPERANDS_TARGET:
        return AppendNumber(text, GSOperandI32(operands, 0));
    case GS_OPERANDS_LOCAL:
    case GS_OPERANDS_STRING:
    case GS_OPERANDS_CLASS:
    case GS_OPERANDS_MEMBER:
        return AppendNumber(text, GSOperandU16(operands, 0));
    case GS_OPERANDS_CALL:
        AppendNumber(text, GSOperandI16(operands, 0));
        return AppendNumber(text, GSOperandU16(operands, 2));
    case GS_OPERANDS_INHERITED:
        return AppendNumber(text, GSOperandI16(operands, 0));
    case GS_OPERANDS_WAIT:
        AppendNumber(text, static_cast<int64_t>(instruction.cases));
        return AppendWaitTable(text, instruction);
    case GS_OPERANDS_SWITCH:
        AppendNumber(text, static_cast<int64_t>(instruction.cases));
        return AppendSwitchTable(text, instruction);
    }
}

void AppendFault(std::string& text, GSDecodeResult result, const GSInstruction& instruction,
                 uint8_t byte) {
    text += std::to_string(instruction.offset);
    if (result == GSDecodeResult::UndefinedOpcode)
        text += " undefined opcode " + std::to_string(byte) + "\n";
    else
        text += std::string(" ") + instruction.info->name + " truncated\n";
}

} // namespace

GSDisassembly DisassembleGSCode(std::span<const uint8_t> code) {
    GSDisassembly disassembly;
    GSInstruction instruction;
    for (size_t offset = 0; offset < code.size(); offset += instruction.length) {
        const GSDecodeResult result = DecodeGSInstruction(code, offset, instruction);
        if (result != GSDecodeResult::Ok) {
            AppendFault(disassembly.text, result, instruction, code[offset]);
            disassembly.complete = false;
            return disassembly;
        }
        disassembly.text += std::to_string(offset) + " " + instruction.info->name;
        AppendOperands(disassembly.text, instruction);
        disassembly.text += '\n';
    }
    return disassembly;
}
