// The text form of byte code, for tests and diagnostics. One line per instruction: the
// offset, the opcode's name and its operands, all numbers in decimal and separated by one
// blank ("5 OP_LocalStore 2"). A call shows k and the method-table entry; a switch shows n,
// then "value:target" per case and "default:target"; a wait shows n, then
// "major/minor:target" per case (library string indexes).
// The bytes are untrusted: at an undefined opcode ("7 undefined opcode 200") or at an
// instruction cut short by the end of the code ("7 OP_PushInt truncated") it writes that one
// fault line and stops, since no instruction boundary after it is known.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct GSDisassembly {
    std::string text;     // the lines, each ending in "\n"
    bool complete = true; // every byte belonged to a whole, defined instruction
};

GSDisassembly DisassembleGSCode(std::span<const uint8_t> code);
