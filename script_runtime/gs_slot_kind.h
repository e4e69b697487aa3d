// What a script slot holds, as the load-time typed verifier proves it and the interpreter
// checks what the verifier cannot know: a plain value (int, float, bool), a counted reference,
// or one of a view's two header words. A slot is untagged at run time; the kinds live in the
// records instead (frame slots of a function, member slots of an instance, the shape a call
// site expects of its callee).
#pragma once

#include <cstdint>
#include <vector>

enum GSSlotKind : uint8_t {
    GS_KIND_VALUE = 0,
    GS_KIND_REFERENCE = 1,
    GS_KIND_HEADER = 2,   // a view's distance or method-table word: no instruction touches it
    GS_KIND_EITHER = 3,   // a zero pushed as a constant: a value or the null reference
    GS_KIND_TAGGED = 4,   // a call's result passed on unchanged: the stack's tag of the slot says
    GS_KIND_NOTHING = 5,  // no result
};

// What a call site hands its callee and expects back, as the verifier found it: the kinds of
// the arguments (slot 1 up) and of the result. The interpreter compares it with the callee's
// own record before the frame is pushed.
struct GSCallShape {
    uint32_t offset = 0;  // of the call instruction
    GSSlotKind result = GS_KIND_NOTHING;
    std::vector<GSSlotKind> arguments;
};

// The result kind a function's return type code gives (void: nothing; bool, int, float:
// values; string, object and the arrays: references), or GS_KIND_HEADER for a code that
// names no type.
inline GSSlotKind GSResultKindOf(uint32_t returnType) {
    if (returnType == 0) return GS_KIND_NOTHING;
    if (returnType <= 3) return GS_KIND_VALUE;
    if (returnType <= 11) return GS_KIND_REFERENCE;
    return GS_KIND_HEADER;
}

// Whether a slot proven to hold `actual` may stand where `wanted` is required.
inline bool GSKindFits(GSSlotKind actual, GSSlotKind wanted) {
    return actual == wanted || actual == GS_KIND_EITHER;
}
