// The load-time verifier of a function's byte code. It walks the code with the one opcode
// table (DecodeGSInstruction) and accepts it only when every byte belongs to a whole,
// defined instruction and every operand stays in its range: jump, switch and wait targets
// on instruction starts inside the function, frame slots inside the frame, string and
// class-reference indices inside the library's tables, member slots past the two header
// slots (and, for the receiver, inside the declaring class's instance and off the header
// slots of every ancestor view in it), call receivers at or below the top, and a last
// instruction after which execution cannot run on past the end of the code (a jump, a
// return, a switch or a wait). Code the compiler writes always passes. Once the library is
// linked, the typed pass (gs_kind_verifier.h) follows the stack's depth and kinds.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct GSCodeLimits {
    uint32_t frameSlots;     // arguments, locals and temporaries
    uint32_t strings;        // the library's string count
    uint32_t classRefs;      // the library's class-reference count
    uint32_t receiverSlots;  // member slots of the declaring class's instance (header included)
    const std::vector<int32_t>& viewOffsets;  // where the ancestor views begin in it
};

bool VerifyGSCode(std::span<const uint8_t> code, const GSCodeLimits& limits);
