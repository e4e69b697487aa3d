// String instructions. New strings are made in the current context; positions count bytes.
// A failed range, or a copy or concatenation whose storage cannot be had, is
// ER_ArrayOutOfBounds; a character index out of bounds (or one whose
// padding could never be had) ER_StringOutOfBounds.
#include <cstdio>
#include <string_view>

#include "script_runtime/gs_context.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_op_range_store.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_stack.h"
#include "script_runtime/gs_string.h"

namespace GSInterpreter {

namespace {

// The string of a reference; null for null and for any other kind of object, which the
// verifier cannot tell from a string (ER_IllegalInstruction).
GSString* StringOf(GSSlot* reference) {
    GSObjectReference* object = reference ? GSInstanceOf(reference)->NativeObject() : nullptr;
    return object && object->ReferenceKind() == GS_REFERENCE_STRING ? static_cast<GSString*>(object) : nullptr;
}

// Null, or a string.
bool NullOrString(GSSlot* reference) { return !reference || StringOf(reference); }

GSSlot NewString(const char* text) { return GSPointerSlot((new GSString(GSContext::Current(), text))->GetReference()); }

bool StringNew(GSRun& run) {
    *++run.sp = GSPointerSlot((new GSString())->GetReference());
    return true;
}

bool StringConst(GSRun& run) {
    const char* text = run.library->GetString(ReadU16(run.ip));
    run.ip += 2;
    *++run.sp = NewString(text);
    return true;
}

bool IntToString(GSRun& run) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", run.sp->i);
    *run.sp = NewString(text);
    return true;
}

bool BoolToString(GSRun& run) {
    *run.sp = NewString(run.sp->i != 0 ? "true" : "false");
    return true;
}

bool FloatToString(GSRun& run) {
    char text[64];  // the largest float in fixed notation is 39 digits and six decimals
    std::snprintf(text, sizeof text, "%f", static_cast<double>(FloatOf(*run.sp)));
    *run.sp = NewString(text);
    return true;
}

bool StringCopy(GSRun& run) {
    GSSlot* reference = RefOf(*run.sp);
    if (!reference) return true;
    if (!StringOf(reference)) return run.Fail(ER_IllegalInstruction);
    auto* copy = new GSString();
    if (!GSString::Append(*copy, *StringOf(reference))) {
        GSReleaseReference(copy->GetReference());
        return run.Fail(ER_ArrayOutOfBounds);
    }
    *run.sp = GSPointerSlot(copy->GetReference());
    GSReleaseReference(reference);
    return true;
}

bool StringLength(GSRun& run) {
    GSSlot* reference = RefOf(*run.sp);
    if (!reference) return run.Fail(ER_NullStringReference);
    if (!StringOf(reference)) return run.Fail(ER_IllegalInstruction);
    PutInt(*run.sp, StringOf(reference)->Length());
    GSReleaseReference(reference);
    return true;
}

// s, k -> byte k, sign-extended.
bool StringCharAt(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-1]);
    if (!reference) return run.Fail(ER_NullStringReference);
    if (!StringOf(reference)) return run.Fail(ER_IllegalInstruction);
    const std::string_view text = StringOf(reference)->View();
    const int32_t index = run.sp->i;
    if (index < 0 || static_cast<size_t>(index) >= text.size()) return run.Fail(ER_StringOutOfBounds);
    --run.sp;
    PutInt(*run.sp, static_cast<int8_t>(text[static_cast<size_t>(index)]));
    GSReleaseReference(reference);
    return true;
}

// s, k, c -> (c when kept).
template <bool kKeep>
bool StringSetChar(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-2]);
    if (!reference) return run.Fail(ER_NullStringReference);
    if (!StringOf(reference)) return run.Fail(ER_IllegalInstruction);
    const GSSlot value = *run.sp;
    if (!GSString::SetChar(*StringOf(reference), run.sp[-1].i, static_cast<char>(value.i & 0xFF)))
        return run.Fail(ER_StringOutOfBounds);
    run.sp -= kKeep ? 2 : 3;
    if (kKeep) *run.sp = value;
    GSReleaseReference(reference);
    return true;
}

// s, end, start -> s'.
bool StringRange(GSRun& run) {
    GSSlot* reference = RefOf(run.sp[-2]);
    if (!reference) return run.Fail(ER_NullStringReference);
    if (!StringOf(reference)) return run.Fail(ER_IllegalInstruction);
    auto* range = new GSString();
    if (!GSString::Substring(*range, *StringOf(reference), run.sp->i, run.sp[-1].i)) {
        GSReleaseReference(range->GetReference());
        return run.Fail(ER_ArrayOutOfBounds);
    }
    run.sp -= 2;
    *run.sp = GSPointerSlot(range->GetReference());
    GSReleaseReference(reference);
    return true;
}

template <bool kKeep>
constexpr auto StringRangeStore = RangeStore<GSString, ER_NullStringReference, StringOf, kKeep>;

// Null counts as the empty string against a string, byte order otherwise.
int32_t Compared(GSSlot* a, GSSlot* b) {
    const std::string_view left = a ? StringOf(a)->View() : std::string_view();
    const std::string_view right = b ? StringOf(b)->View() : std::string_view();
    const int order = left.compare(right);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool StringCompare(GSRun& run) {
    GSSlot* b = RefOf(*run.sp);
    GSSlot* a = RefOf(run.sp[-1]);
    if (!NullOrString(a) || !NullOrString(b)) return run.Fail(ER_IllegalInstruction);
    --run.sp;
    PutInt(*run.sp, Compared(a, b));
    GSReleaseReference(a);
    GSReleaseReference(b);
    return true;
}

// The length of an instruction that may come between a concatenation and the store of its
// result into a frame slot without reading that slot's string (a reference to any other
// object, values and texts, further concatenations onto the result); 0 for any other.
int32_t LengthOfQuietStep(const uint8_t* at, GSSlot* a, const GSRun& run) {
    switch (*at) {
    case OP_PushZero: case OP_PushOne: case OP_IntToString: case OP_BoolToString: case OP_FloatToString:
    case OP_StringConcat:
        return 1;
    case OP_LocalLoad: case OP_StringConst:
        return 3;
    case OP_LocalLoadObject:
        return RefOf(run.args[ReadU16(at + 1)]) == a ? 0 : 3;
    case OP_PushInt:
        return 5;
    default:
        return 0;
    }
}

// Whether the instructions from ip on, up to the store of the result, leave the frame slot
// holding a unread and end by storing the result there (`s = s + t + ","`): then nothing can
// tell an append in place from a copy. The verifier proved every instruction whole and the
// code ending in a jump or return, which this walk never passes.
bool StoredBackToLocal(const GSRun& run, GSSlot* a) {
    constexpr int kMostSteps = 16;
    // The library's own bytes: the run copy may hold fused opcodes.
    const uint8_t* at = GSFrame::Function(run.stack->TopFrame())->code.data() + (run.ip - run.codeBase);
    for (int step = 0; step < kMostSteps; ++step) {
        if (*at == OP_LocalStoreObject || *at == OP_LocalStoreObjectKeep)
            return RefOf(run.args[ReadU16(at + 1)]) == a;
        const int32_t length = LengthOfQuietStep(at, a, run);
        if (length == 0) return false;
        at += length;
    }
    return false;
}

// Whether a may take b on its end in place: nothing but this stack holds it, or the stack and
// the very slot the result is stored into (`s = s + t`, `s = s + t + u`, the last store
// straight after the concatenation when it is a member), whose old value that store would
// release anyway.
bool MayAppendInPlace(const GSRun& run, GSSlot* a) {
    const int32_t count = GSInstanceOf(a)->ReferenceCount();
    if (count == 1) return true;
    if (count != 2) return false;
    const uint8_t next = *run.ip;
    if (next != OP_SelfStoreObject && next != OP_SelfStoreObjectKeep) return StoredBackToLocal(run, a);
    GSSlot* receiver = RefOf(run.args[0]);
    return receiver && RefOf(receiver[ReadU16(run.ip + 1)]) == a;
}

// a + b, a string of its own unless a may grow in place.
GSSlot* Joined(const GSRun& run, GSSlot* a, GSSlot* b) {
    if (MayAppendInPlace(run, a)) {
        if (!GSString::Append(*StringOf(a), *StringOf(b))) return nullptr;
        GSAddReference(a);
        return a;
    }
    auto* joined = new GSString();
    if (GSString::Join(*joined, *StringOf(a), *StringOf(b))) return joined->GetReference();
    GSReleaseReference(joined->GetReference());
    return nullptr;
}

// Exactly one null: the other operand itself is the result, its count moving along.
bool StringConcat(GSRun& run) {
    GSSlot* b = RefOf(*run.sp);
    GSSlot* a = RefOf(run.sp[-1]);
    if (!NullOrString(a) || !NullOrString(b)) return run.Fail(ER_IllegalInstruction);
    if (a && b) {
        GSSlot* joined = Joined(run, a, b);
        if (!joined) return run.Fail(ER_ArrayOutOfBounds);
        --run.sp;
        *run.sp = GSPointerSlot(joined);
        GSReleaseReference(a);
        GSReleaseReference(b);
        return true;
    }
    --run.sp;
    *run.sp = a ? GSPointerSlot(a) : b ? GSPointerSlot(b) : GSPointerSlot((new GSString())->GetReference());
    return true;
}

}  // namespace

void FillStringHandlers(GSOpHandler* table) {
    table[OP_StringNew] = StringNew;
    table[OP_StringConst] = StringConst;
    table[OP_IntToString] = IntToString;
    table[OP_BoolToString] = BoolToString;
    table[OP_FloatToString] = FloatToString;
    table[OP_StringCopy] = StringCopy;
    table[OP_StringLength] = StringLength;
    table[OP_StringCharAt] = StringCharAt;
    table[OP_StringSetChar] = StringSetChar<false>;
    table[OP_StringSetCharKeep] = StringSetChar<true>;
    table[OP_StringRange] = StringRange;
    table[OP_StringRangeStore] = StringRangeStore<false>;
    table[OP_StringRangeStoreKeep] = StringRangeStore<true>;
    table[OP_StringCompare] = StringCompare;
    table[OP_StringConcat] = StringConcat;
}

}  // namespace GSInterpreter
