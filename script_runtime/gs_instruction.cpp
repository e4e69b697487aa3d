// Decoding one instruction: the opcode's row of the properties table gives the operand
// layout, the layout's widths (and, for counted layouts, the leading u16 n) the length, and
// the length is checked against the bytes left before the instruction is handed out.
#include "script_runtime/gs_instruction.h"

#include <cassert>

#include "foundation/streams/little_endian.h"

GSDecodeResult DecodeGSInstruction(std::span<const uint8_t> code, size_t offset,
                                   GSInstruction& instruction) {
    instruction = GSInstruction{};
    instruction.offset = offset;
    if (offset >= code.size()) return GSDecodeResult::Truncated;
    instruction.info = FindGSOpcodeInfo(code[offset]);
    if (!instruction.info) return GSDecodeResult::UndefinedOpcode;

    const GSOperandWidths& widths = GetGSOperandWidths(instruction.info->operands);
    const std::span<const uint8_t> rest = code.subspan(offset + 1);
    size_t cases = 0;
    if (widths.bytesPerCase > 0) {
        if (rest.size() < 2) return GSDecodeResult::Truncated;
        cases = GSOperandU16(rest, 0);
    }
    const size_t operandBytes = widths.fixedBytes + cases * widths.bytesPerCase;
    if (rest.size() < operandBytes) return GSDecodeResult::Truncated;

    instruction.length = 1 + operandBytes;
    instruction.cases = cases;
    instruction.operands = rest.first(operandBytes);
    return GSDecodeResult::Ok;
}

int32_t GSOperandI32(std::span<const uint8_t> operands, size_t at) {
    assert(at + 4 <= operands.size());
    return static_cast<int32_t>(static_cast<uint32_t>(LoadLittleEndian(&operands[at], 4)));
}

int16_t GSOperandI16(std::span<const uint8_t> operands, size_t at) {
    return static_cast<int16_t>(GSOperandU16(operands, at));
}

uint16_t GSOperandU16(std::span<const uint8_t> operands, size_t at) {
    assert(at + 2 <= operands.size());
    return static_cast<uint16_t>(LoadLittleEndian(&operands[at], 2));
}
