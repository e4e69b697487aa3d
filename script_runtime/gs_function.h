// GSFunction: the record of one compiled function of a script class, as its function chunk
// gives it. Names and code point into the library's image, which lives as long as the
// library. The frame counts are those of the chunk, checked against each other at load.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "script_runtime/gs_slot_kind.h"
#include "script_runtime/gs_stack_kinds.h"

class GSClass;
class GSLibrary;
class GSNativeFunction;

enum GSFunctionFlags : uint32_t {
    GS_FUNCTION_PUBLIC = 0x1,
    GS_FUNCTION_NATIVE = 0x2,
    GS_FUNCTION_FINAL = 0x8,
    GS_FUNCTION_THREAD = 0x10,
    GS_FUNCTION_INITIALISER = 0x20,
};

struct GSFunction {
    GSClass* gsClass = nullptr;
    GSLibrary* library = nullptr;
    const char* name = nullptr;  // the mangled name
    uint32_t returnType = 0;
    int32_t returnClassRef = -1;
    uint32_t flags = 0;
    int32_t slot = -1;
    int32_t frameAdvance = 0;
    int32_t argumentBase = 0;
    int32_t frameRecord = 0;
    int32_t stackNeed = 0;
    int32_t argumentSlots = 0;
    std::vector<uint32_t> objectSlots;   // from the argument base; `me` not listed
    std::vector<GSSlotKind> parameterKinds;  // of slots 0 to argumentSlots - 1, `me` first
    uint32_t lineCount = 0;
    const uint8_t* lines = nullptr;      // lineCount pairs {code offset, line}
    std::span<const uint8_t> code;       // empty when the length is 0
    std::vector<uint8_t> runCode;        // the code with its sequences fused, once verified
    GSNativeFunction* native = nullptr;  // for native functions, set at link
    const GSFunction* inherited = nullptr;
    int32_t inheritedOffset = 0;
    std::vector<GSCallShape> callShapes;  // by offset, as the typed verifier found them
    GSStackKinds stackKinds;              // as the typed verifier found them

    // Frame slots addressable from the argument base: arguments, locals and temporaries.
    int32_t FrameSlotCount() const { return argumentSlots + frameAdvance - 4; }
    // The source line of a code offset; -1 without line pairs.
    int32_t LineOf(int32_t codeOffset) const;
    // What the interpreter runs: the fused copy once the typed verifier has passed the code
    // (gs_fused_code.h), else the code itself.
    const uint8_t* RunCode() const { return runCode.empty() ? code.data() : runCode.data(); }
    // The shape of the call instruction at a code offset, or null.
    const GSCallShape* CallShapeAt(uint32_t offset) const;
};
