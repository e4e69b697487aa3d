// Decoding one instruction of a function's code. The code may come from an untrusted library
// file, so the decoder proves that the opcode is defined and that every operand byte lies
// inside the code before anything is read; the operand readers then read only within the
// decoded instruction. The disassembler walks code with it; the loader's verifier and the
// interpreter are meant to share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "script_runtime/gs_opcode.h"

enum class GSDecodeResult { Ok, UndefinedOpcode, Truncated };

struct GSInstruction {
    const GSOpcodeInfo* info = nullptr; // null for an undefined opcode
    size_t offset = 0;                  // position of the opcode byte
    size_t length = 0;                  // opcode byte and operands; 0 when not decoded
    size_t cases = 0;                   // n of a counted layout (wait, switch)
    std::span<const uint8_t> operands;  // the operand bytes, exactly
};

// Decodes the instruction at offset. On a failure, `info` and `offset` still tell where and
// what (info is null for an undefined opcode) and nothing else is set.
GSDecodeResult DecodeGSInstruction(std::span<const uint8_t> code, size_t offset,
                                   GSInstruction& instruction);

// Operand readers; `at` is a byte position within `operands`, which the operand layout of a
// decoded instruction proves to be inside it.
int32_t GSOperandI32(std::span<const uint8_t> operands, size_t at);
int16_t GSOperandI16(std::span<const uint8_t> operands, size_t at);
uint16_t GSOperandU16(std::span<const uint8_t> operands, size_t at);
