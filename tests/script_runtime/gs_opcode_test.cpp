// The opcode table against the instruction set as written: names by number, operand layouts
// and widths, the net stack effects the compiler's depth tracking applies, the slots taken
// and left, and the undefined bytes.
#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>

#include "script_runtime/gs_opcode.h"

namespace {

using Range = std::pair<int, int>; // first and last opcode, inclusive

TEST(GSOpcodeTable, NamesInOpcodeOrder) {
    const char* const names[] = {
        "OP_IntAdd", "OP_IntSub", "OP_IntMul", "OP_IntDiv",
        "OP_IntMod", "OP_IntNeg", "OP_IntInc", "OP_IntDec",
        "OP_IntToFloat", "OP_IntCompare", "OP_PushZero", "OP_PushOne",
        "OP_IntNot", "OP_IntAnd", "OP_IntOr", "OP_IntXor",
        "OP_IntComplement", "OP_IntShiftLeft", "OP_IntShiftRight", "OP_FloatAdd",
        "OP_FloatSub", "OP_FloatMul", "OP_FloatDiv", "OP_FloatMod",
        "OP_FloatNeg", "OP_FloatInc", "OP_FloatDec", "OP_FloatToInt",
        "OP_FloatCompare", "OP_FloatNot", "OP_PushInt", "OP_LocalLoad",
        "OP_LocalLoadObject", "OP_LocalStore", "OP_LocalStoreKeep", "OP_LocalStoreObject",
        "OP_LocalStoreObjectKeep", "OP_Pop", "OP_PopObject", "OP_Dup",
        "OP_DupObject", "OP_DupPair", "OP_Swap", "OP_Jump",
        "OP_JumpIfZero", "OP_JumpIfNotZero", "OP_JumpIfZeroKeep", "OP_JumpIfNotZeroKeep",
        "OP_JumpIfNegative", "OP_JumpIfNotPositive", "OP_JumpIfPositive", "OP_JumpIfNotNegative",
        "OP_IsNegative", "OP_IsNotPositive", "OP_IsPositive", "OP_IsNotNegative",
        "OP_ArrayNew", "OP_ArrayNewObject", "OP_ArraySize", "OP_ArrayCopy",
        "OP_ArrayLoad", "OP_ArrayStore", "OP_ArrayStoreKeep", "OP_ArrayLoadObject",
        "OP_ArrayStoreObject", "OP_ArrayStoreObjectKeep", "OP_ArrayRange", "OP_ArrayRangeStore",
        "OP_ArrayRangeStoreKeep", "OP_ArrayRangeObject", "OP_ArrayRangeStoreObject",
        "OP_ArrayRangeStoreObjectKeep",
        "OP_StringNew", "OP_StringConst", "OP_IntToString", "OP_BoolToString",
        "OP_FloatToString", "OP_StringCopy", "OP_StringLength", "OP_StringCharAt",
        "OP_StringSetChar", "OP_StringSetCharKeep", "OP_StringRange", "OP_StringRangeStore",
        "OP_StringRangeStoreKeep", "OP_StringCompare", "OP_StringConcat", "OP_ObjectIsA",
        "OP_ObjectNew", "OP_ObjectStatic", "OP_ObjectCast", "OP_ObjectCompare",
        "OP_ObjectIsNull", "OP_ObjectIsNotNull", "OP_Call", "OP_CallNative",
        "OP_CallThread", "OP_MemberLoad", "OP_MemberLoadObject", "OP_MemberStore",
        "OP_MemberStoreKeep", "OP_MemberStoreObject", "OP_MemberStoreObjectKeep", "OP_SelfLoad",
        "OP_SelfLoadObject", "OP_SelfStore", "OP_SelfStoreObject", "OP_SelfStoreKeep",
        "OP_SelfStoreObjectKeep", "OP_Return", "OP_ReturnValue", "OP_ReturnObject",
        "OP_Wait", "OP_Switch", "OP_CallInherited", "OP_IntToBool",
    };
    static_assert(std::size(names) == kGSOpcodeCount);
    for (int code = 0; code < kGSOpcodeCount; ++code) {
        const GSOpcodeInfo* info = FindGSOpcodeInfo(static_cast<uint8_t>(code));
        ASSERT_NE(info, nullptr) << code;
        EXPECT_EQ(info->opcode, code);
        EXPECT_STREQ(info->name, names[code]) << code;
        EXPECT_EQ(&GetGSOpcodeInfo(static_cast<GSOpcode>(code)), info);
    }
}

TEST(GSOpcodeTable, BytesFrom116AreUndefined) {
    for (int byte = kGSOpcodeCount; byte <= 255; ++byte)
        EXPECT_EQ(FindGSOpcodeInfo(static_cast<uint8_t>(byte)), nullptr) << byte;
    EXPECT_EQ(kGSOpcodeCount, 116);
}

// Operand layouts and their widths, by the opcode groups of the instruction set; every
// opcode not listed has no operands.
TEST(GSOpcodeTable, OperandLayoutsAndWidths) {
    struct Group {
        Range codes;
        GSOperandLayout layout;
        int fixedBytes;
        int bytesPerCase;
    } const groups[] = {
        {{30, 30}, GS_OPERANDS_VALUE, 4, 0},      // i32 value
        {{31, 36}, GS_OPERANDS_LOCAL, 2, 0},      // u16 frame slot
        {{43, 51}, GS_OPERANDS_TARGET, 4, 0},     // i32 target
        {{73, 73}, GS_OPERANDS_STRING, 2, 0},     // u16 string
        {{87, 90}, GS_OPERANDS_CLASS, 2, 0},      // u16 class reference
        {{94, 96}, GS_OPERANDS_CALL, 4, 0},       // i16 k, u16 m
        {{97, 108}, GS_OPERANDS_MEMBER, 2, 0},    // u16 member slot
        {{112, 112}, GS_OPERANDS_WAIT, 2, 8},     // u16 n; n x (u16, u16) and n x i32
        {{113, 113}, GS_OPERANDS_SWITCH, 6, 8},   // u16 n, n x i32, n x i32, i32 default
        {{114, 114}, GS_OPERANDS_INHERITED, 2, 0}, // i16 k
    };
    int listed[kGSOpcodeCount] = {};
    for (const Group& group : groups) {
        for (int code = group.codes.first; code <= group.codes.second; ++code) {
            const GSOpcodeInfo& info = GetGSOpcodeInfo(static_cast<GSOpcode>(code));
            const GSOperandWidths& widths = GetGSOperandWidths(info.operands);
            EXPECT_EQ(info.operands, group.layout) << code;
            EXPECT_EQ(widths.fixedBytes, group.fixedBytes) << code;
            EXPECT_EQ(widths.bytesPerCase, group.bytesPerCase) << code;
            listed[code] = 1;
        }
    }
    for (int code = 0; code < kGSOpcodeCount; ++code) {
        if (listed[code]) continue;
        EXPECT_EQ(GetGSOpcodeInfo(static_cast<GSOpcode>(code)).operands, GS_OPERANDS_NONE)
            << code;
    }
    EXPECT_EQ(GetGSOperandWidths(GS_OPERANDS_NONE).fixedBytes, 0);
}

// The net effects as the compiler's depth tracking applies them; the four calls are left to
// the call code.
TEST(GSOpcodeTable, NetStackEffects) {
    struct Effect {
        int slots;
        std::initializer_list<Range> codes;
    } const effects[] = {
        {+2, {{41, 41}}},
        {+1, {{10, 11}, {30, 32}, {39, 40}, {72, 73}, {88, 89}, {103, 104}}},
        {-1, {{0, 4}, {9, 9}, {13, 15}, {17, 23}, {28, 28}, {33, 33}, {35, 35}, {37, 38},
              {44, 45}, {48, 51}, {60, 60}, {63, 63}, {79, 79}, {85, 86}, {91, 91},
              {100, 100}, {102, 102}, {105, 106}, {110, 111}, {113, 113}}},
        {-2, {{62, 62}, {65, 66}, {69, 69}, {81, 82}, {99, 99}, {101, 101}}},
        {-3, {{61, 61}, {64, 64}, {68, 68}, {71, 71}, {80, 80}, {84, 84}}},
        {-4, {{67, 67}, {70, 70}, {83, 83}}},
        {0, {{5, 8}, {12, 12}, {16, 16}, {24, 27}, {29, 29}, {34, 34}, {36, 36}, {42, 43},
             {46, 47}, {52, 59}, {74, 78}, {87, 87}, {90, 90}, {92, 93}, {97, 98},
             {107, 109}, {112, 112}, {115, 115}}},
    };
    int listed[kGSOpcodeCount] = {};
    for (const Effect& effect : effects) {
        for (const Range& range : effect.codes) {
            for (int code = range.first; code <= range.second; ++code) {
                const GSOpcodeInfo& info = GetGSOpcodeInfo(static_cast<GSOpcode>(code));
                EXPECT_TRUE(info.HasFixedStackEffect()) << code;
                EXPECT_EQ(info.StackEffect(), effect.slots) << code;
                ++listed[code];
            }
        }
    }
    for (int code : {94, 95, 96, 114}) {
        const GSOpcodeInfo& info = GetGSOpcodeInfo(static_cast<GSOpcode>(code));
        EXPECT_FALSE(info.HasFixedStackEffect()) << code;
        EXPECT_EQ(info.StackEffect(), 0) << code;
        ++listed[code];
    }
    for (int code = 0; code < kGSOpcodeCount; ++code) EXPECT_EQ(listed[code], 1) << code;
}

// Slots taken and left, from the Stack column: the depth a verifier must see before the
// instruction runs, beside the net effect.
TEST(GSOpcodeTable, SlotsTakenAndLeft) {
    struct Case {
        GSOpcode opcode;
        int taken;
        int left;
    } const cases[] = {
        {OP_IntAdd, 2, 1},             // i a, i b -> i
        {OP_PushInt, 0, 1},            // - -> v
        {OP_LocalStoreKeep, 1, 1},     // v -> v
        {OP_Dup, 1, 2},                // v -> v v
        {OP_DupPair, 2, 4},            // r v -> r v r v
        {OP_Swap, 2, 2},               // x y -> y x
        {OP_Jump, 0, 0},               // - -> -
        {OP_JumpIfZeroKeep, 1, 1},     // i -> i
        {OP_ArrayStore, 3, 0},         // a, i k, v -> -
        {OP_ArrayStoreKeep, 3, 1},     // a, i k, v -> v
        {OP_ArrayRangeStore, 4, 0},    // a, i end, i start, a src -> -
        {OP_StringRangeStoreKeep, 4, 1}, // s, i end, i start, s src -> src
        {OP_StringSetChar, 3, 0},      // s, i k, i c -> -
        {OP_ObjectNew, 0, 1},          // - -> o
        {OP_MemberStore, 2, 0},        // o, v -> -
        {OP_SelfStoreObjectKeep, 1, 1}, // r -> r
        {OP_Return, 0, 0},             // - -> -
        {OP_ReturnObject, 1, 0},       // r -> -
        {OP_Wait, 0, 0},               // - -> -
        {OP_Switch, 1, 0},             // i -> -
        {OP_IntToBool, 1, 1},          // i -> b
        {OP_Call, kGSStackByCall, kGSStackByCall},
        {OP_CallInherited, kGSStackByCall, kGSStackByCall},
    };
    for (const Case& c : cases) {
        const GSOpcodeInfo& info = GetGSOpcodeInfo(c.opcode);
        EXPECT_EQ(info.slotsTaken, c.taken) << info.name;
        EXPECT_EQ(info.slotsLeft, c.left) << info.name;
    }
}

} // namespace
