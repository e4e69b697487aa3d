// GSOpcode: the script byte code, defined once. The enum names every instruction with its
// inline operands and stack effect; the properties table (`GSOpcodeInfo`) carries the same
// facts as data, and the code generator, the library loader's verifier, the interpreter and
// the test disassembler all read that one table.
// The instruction set belongs to the runtime, which executes it, so it lives here in
// script_runtime/; the compiler links script_runtime for it (a sibling on foundation/, never
// an upward include: nothing in the runtime includes the compiler).
//
// An instruction is one opcode byte followed directly by its operands, unaligned and
// little-endian: i32 a 4-byte signed integer, u16 a 2-byte unsigned one, i16 a 2-byte signed
// one. Code positions are byte offsets from the start of the function's code. Bytes 116-255
// in opcode position are undefined instructions.
// Stack notation: taken -> left, top rightmost. i int, f float, b bool, v any non-reference
// value, r reference, s string, a array, o object, x either kind, - nothing.
#pragma once

#include <cstdint>

enum GSOpcode : uint8_t {
    OP_IntAdd = 0,                        // i a, i b -> i          a + b, wrapping
    OP_IntSub = 1,                        // i a, i b -> i          a - b, wrapping
    OP_IntMul = 2,                        // i a, i b -> i          low 32 bits of a * b
    OP_IntDiv = 3,                        // i a, i b -> i          a / b toward zero
    OP_IntMod = 4,                        // i a, i b -> i          remainder, sign of a
    OP_IntNeg = 5,                        // i a -> i               -a
    OP_IntInc = 6,                        // i a -> i               a + 1
    OP_IntDec = 7,                        // i a -> i               a - 1
    OP_IntToFloat = 8,                    // i -> f                 nearest float
    OP_IntCompare = 9,                    // i a, i b -> i          a - b, wrapping
    OP_PushZero = 10,                     // - -> i                 0 (false, null)
    OP_PushOne = 11,                      // - -> i                 1 (true)
    OP_IntNot = 12,                       // i -> b                 value == 0
    OP_IntAnd = 13,                       // i a, i b -> i          a AND b
    OP_IntOr = 14,                        // i a, i b -> i          a OR b
    OP_IntXor = 15,                       // i a, i b -> i          a XOR b
    OP_IntComplement = 16,                // i a -> i               every bit inverted
    OP_IntShiftLeft = 17,                 // i a, i b -> i          a << (b AND 31)
    OP_IntShiftRight = 18,                // i a, i b -> i          unsigned a >> (b AND 31)
    OP_FloatAdd = 19,                     // f a, f b -> f          a + b
    OP_FloatSub = 20,                     // f a, f b -> f          a - b
    OP_FloatMul = 21,                     // f a, f b -> f          a * b
    OP_FloatDiv = 22,                     // f a, f b -> f          a / b
    OP_FloatMod = 23,                     // f a, f b -> f          remainder, sign of a
    OP_FloatNeg = 24,                     // f a -> f               -0.0 - a
    OP_FloatInc = 25,                     // f a -> f               a + 1.0
    OP_FloatDec = 26,                     // f a -> f               a - 1.0
    OP_FloatToInt = 27,                   // f -> i                 truncated toward zero
    OP_FloatCompare = 28,                 // f a, f b -> i          sign of a - b (NaN: 0)
    OP_FloatNot = 29,                     // f -> b                 all 32 bits zero
    OP_PushInt = 30,                      // i32 value    - -> v    the operand
    OP_LocalLoad = 31,                    // u16 slot     - -> v    frame slot
    OP_LocalLoadObject = 32,              // u16 slot     - -> r    frame slot, reference added
    OP_LocalStore = 33,                   // u16 slot     v -> -    slot = v
    OP_LocalStoreKeep = 34,               // u16 slot     v -> v    slot = v, v stays
    OP_LocalStoreObject = 35,             // u16 slot     r -> -    old released, slot = r
    OP_LocalStoreObjectKeep = 36,         // u16 slot     r -> r    as 35, reference added
    OP_Pop = 37,                          // v -> -                 drops the top
    OP_PopObject = 38,                    // r -> -                 releases and drops the top
    OP_Dup = 39,                          // v -> v v               copies the top
    OP_DupObject = 40,                    // r -> r r               copies, reference added
    OP_DupPair = 41,                      // r v -> r v r v         copies the two top slots
    OP_Swap = 42,                         // x y -> y x             exchanges the two top
    OP_Jump = 43,                         // i32 target   - -> -    always
    OP_JumpIfZero = 44,                   // i32 target   i -> -    popped == 0
    OP_JumpIfNotZero = 45,                // i32 target   i -> -    popped != 0
    OP_JumpIfZeroKeep = 46,               // i32 target   i -> i    top == 0, value stays
    OP_JumpIfNotZeroKeep = 47,            // i32 target   i -> i    top != 0, value stays
    OP_JumpIfNegative = 48,               // i32 target   i -> -    popped < 0
    OP_JumpIfNotPositive = 49,            // i32 target   i -> -    popped <= 0
    OP_JumpIfPositive = 50,               // i32 target   i -> -    popped > 0
    OP_JumpIfNotNegative = 51,            // i32 target   i -> -    popped >= 0
    OP_IsNegative = 52,                   // i -> b                 value < 0
    OP_IsNotPositive = 53,                // i -> b                 value <= 0
    OP_IsPositive = 54,                   // i -> b                 value > 0
    OP_IsNotNegative = 55,                // i -> b                 value >= 0
    OP_ArrayNew = 56,                     // i n -> a               n value elements, all 0
    OP_ArrayNewObject = 57,               // i n -> a               n reference elements, null
    OP_ArraySize = 58,                    // a -> i                 element count
    OP_ArrayCopy = 59,                    // a -> a'                new array, same elements
    OP_ArrayLoad = 60,                    // a, i k -> v            element k
    OP_ArrayStore = 61,                   // a, i k, v -> -         element k = v, growing
    OP_ArrayStoreKeep = 62,               // a, i k, v -> v         as 61, v stays
    OP_ArrayLoadObject = 63,              // a, i k -> r            element k, reference added
    OP_ArrayStoreObject = 64,             // a, i k, r -> -         element k = r, growing
    OP_ArrayStoreObjectKeep = 65,         // a, i k, r -> r         as 64, r stays
    OP_ArrayRange = 66,                   // a, i end, i start -> a'          elements start..end-1
    OP_ArrayRangeStore = 67,              // a, i end, i start, a src -> -    range replaced by src
    OP_ArrayRangeStoreKeep = 68,          // a, i end, i start, a src -> src  as 67, src stays
    OP_ArrayRangeObject = 69,             // as 66, for arrays of references
    OP_ArrayRangeStoreObject = 70,        // as 67, for arrays of references
    OP_ArrayRangeStoreObjectKeep = 71,    // as 68, for arrays of references
    OP_StringNew = 72,                    // - -> s                 new empty string
    OP_StringConst = 73,                  // u16 string   - -> s    new string of a library text
    OP_IntToString = 74,                  // i -> s                 "%d"
    OP_BoolToString = 75,                 // i -> s                 "true" or "false"
    OP_FloatToString = 76,                // f -> s                 "%f"
    OP_StringCopy = 77,                   // s -> s'                new string, same text
    OP_StringLength = 78,                 // s -> i                 length in bytes
    OP_StringCharAt = 79,                 // s, i k -> i            byte k, sign-extended
    OP_StringSetChar = 80,                // s, i k, i c -> -       byte k = c, padding blanks
    OP_StringSetCharKeep = 81,            // s, i k, i c -> c       as 80, c stays
    OP_StringRange = 82,                  // s, i end, i start -> s'          bytes start..end-1
    OP_StringRangeStore = 83,             // s, i end, i start, s src -> -    range replaced by src
    OP_StringRangeStoreKeep = 84,         // s, i end, i start, s src -> src  as 83, src stays
    OP_StringCompare = 85,                // s a, s b -> i          sign of the text comparison
    OP_StringConcat = 86,                 // s a, s b -> s          a followed by b
    OP_ObjectIsA = 87,                    // u16 class    o -> b    instance is or derives from
    OP_ObjectNew = 88,                    // u16 class    - -> o    new object, initialisers run
    OP_ObjectStatic = 89,                 // u16 class    - -> o    the context's static instance
    OP_ObjectCast = 90,                   // u16 class    o -> o'   the view for the class, or null
    OP_ObjectCompare = 91,                // o a, o b -> i          0 when the same instance
    OP_ObjectIsNull = 92,                 // o -> b                 o is null
    OP_ObjectIsNotNull = 93,              // o -> b                 o is not null
    OP_Call = 94,                         // i16 k, u16 entry  o, args -> (callee runs)
    OP_CallNative = 95,                   // i16 k, u16 entry  o, args -> result or -
    OP_CallThread = 96,                   // i16 k, u16 entry  o, args -> -  new thread
    OP_MemberLoad = 97,                   // u16 member   o -> v    member of o
    OP_MemberLoadObject = 98,             // u16 member   o -> r    member, reference added
    OP_MemberStore = 99,                  // u16 member   o, v -> -    member = v
    OP_MemberStoreKeep = 100,             // u16 member   o, v -> v    member = v, v stays
    OP_MemberStoreObject = 101,           // u16 member   o, r -> -    member = r
    OP_MemberStoreObjectKeep = 102,       // u16 member   o, r -> r    as 101, r stays
    OP_SelfLoad = 103,                    // u16 member   - -> v    member of the receiver
    OP_SelfLoadObject = 104,              // u16 member   - -> r    as 103, reference added
    OP_SelfStore = 105,                   // u16 member   v -> -    receiver member = v
    OP_SelfStoreObject = 106,             // u16 member   r -> -    receiver member = r
    OP_SelfStoreKeep = 107,               // u16 member   v -> v    as 105, v stays
    OP_SelfStoreObjectKeep = 108,         // u16 member   r -> r    as 106, r stays
    OP_Return = 109,                      // - -> -                 returns without result
    OP_ReturnValue = 110,                 // v -> -                 returns the top value
    OP_ReturnObject = 111,                // r -> -                 returns the top reference
    OP_Wait = 112,                        // u16 n, n x (u16 major, u16 minor), n x i32 target
    OP_Switch = 113,                      // u16 n, n x i32 value, n x i32 target, i32 default
    OP_CallInherited = 114,               // i16 k        o, args -> (callee runs)
    OP_IntToBool = 115,                   // i -> b                 value != 0
};

// Opcodes 0 to kGSOpcodeCount - 1 are defined.
inline constexpr int kGSOpcodeCount = 116;

// What follows the opcode byte. The counted layouts start with u16 n and repeat a case n times.
enum GSOperandLayout : uint8_t {
    GS_OPERANDS_NONE = 0,      // nothing
    GS_OPERANDS_VALUE = 1,     // i32 value: an int or a float's bit pattern
    GS_OPERANDS_TARGET = 2,    // i32 code position
    GS_OPERANDS_LOCAL = 3,     // u16 frame slot (0 is the receiver)
    GS_OPERANDS_STRING = 4,    // u16 string index of the executing library
    GS_OPERANDS_CLASS = 5,     // u16 class-reference index of the executing library
    GS_OPERANDS_MEMBER = 6,    // u16 slot within a view (members start at 2)
    GS_OPERANDS_CALL = 7,      // i16 k: the receiver lies k places below the top (k <= 0);
                               // u16 method-table entry
    GS_OPERANDS_INHERITED = 8, // i16 k, as for GS_OPERANDS_CALL
    GS_OPERANDS_WAIT = 9,      // u16 n, n x (u16 major, u16 minor string), n x i32 target
    GS_OPERANDS_SWITCH = 10,   // u16 n, n x i32 value ascending, n x i32 target, i32 default
};

inline constexpr int kGSOperandLayoutCount = 11;

// Operand bytes of a layout: fixedBytes + n * bytesPerCase, where n is the leading u16 of a
// counted layout (bytesPerCase > 0) and fixedBytes includes that u16.
struct GSOperandWidths {
    uint8_t fixedBytes;
    uint8_t bytesPerCase;
};

const GSOperandWidths& GetGSOperandWidths(GSOperandLayout layout);

// The stack columns of a call (94-96, 114): the receiver and arguments taken depend on k and
// the result on the callee, so the call code accounts for them.
inline constexpr int8_t kGSStackByCall = -1;

// One row of the properties table. slotsTaken and slotsLeft count stack slots before and
// after the instruction (kGSStackByCall for the calls); their difference is the net effect
// that the compiler's depth tracking applies, 0 for the calls, whose call code accounts for
// the receiver, the arguments and the result itself.
struct GSOpcodeInfo {
    GSOpcode opcode;
    const char* name;
    GSOperandLayout operands;
    int8_t slotsTaken;
    int8_t slotsLeft;

    bool HasFixedStackEffect() const { return slotsTaken != kGSStackByCall; }
    int StackEffect() const { return HasFixedStackEffect() ? slotsLeft - slotsTaken : 0; }
};

// The row of a defined opcode byte, or null for an undefined one (116-255).
const GSOpcodeInfo* FindGSOpcodeInfo(uint8_t byte);
// The row of a defined opcode.
const GSOpcodeInfo& GetGSOpcodeInfo(GSOpcode opcode);
