// Script byte code from an untrusted library: every instruction decoded in turn stays inside
// the code, and the disassembler walks the same bytes to the same end.
#include <span>

#include "fuzz_support.h"
#include "script_runtime/gs_disassembler.h"
#include "script_runtime/gs_instruction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> code(data, size);
    size_t offset = 0;
    bool whole = true;
    while (offset < size) {
        GSInstruction instruction;
        if (DecodeGSInstruction(code, offset, instruction) != GSDecodeResult::Ok) {
            whole = false;
            break;
        }
        fuzz::Require(instruction.length > 0, "a decoded instruction has bytes");
        fuzz::Require(instruction.length <= size - offset, "an instruction stays inside the code");
        offset += instruction.length;
    }
    const GSDisassembly disassembly = DisassembleGSCode(code);
    fuzz::Require(disassembly.complete == whole, "the disassembler ends where decoding ends");
    return 0;
}
