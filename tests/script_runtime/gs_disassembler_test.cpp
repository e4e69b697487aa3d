// The disassembler on hand-assembled code: each operand layout, counted tables and their
// lengths, and hostile bytes (undefined opcodes, operands cut short, every prefix of a valid
// function, seeded mutations), which must give one fault line and never a read outside the
// code.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "script_runtime/gs_disassembler.h"

namespace {

using Bytes = std::vector<uint8_t>;

GSDisassembly Disassemble(const Bytes& code) { return DisassembleGSCode(code); }

TEST(GSDisassembler, FunctionBody) {
    // int F(int a) { int b = a + 1; return b; }
    const Bytes code = {31, 1, 0, 11, 0, 33, 2, 0, 31, 2, 0, 110};
    const GSDisassembly result = Disassemble(code);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.text, "0 OP_LocalLoad 1\n"
                           "3 OP_PushOne\n"
                           "4 OP_IntAdd\n"
                           "5 OP_LocalStore 2\n"
                           "8 OP_LocalLoad 2\n"
                           "11 OP_ReturnValue\n");
}

TEST(GSDisassembler, OperandLayouts) {
    struct Case {
        Bytes code;
        const char* text;
    } const cases[] = {
        {{30, 0xFB, 0xFF, 0xFF, 0xFF}, "0 OP_PushInt -5\n"},
        {{30, 0x00, 0x00, 0x80, 0x3F}, "0 OP_PushInt 1065353216\n"}, // 1.0f
        {{30, 0x00, 0x00, 0x00, 0x80}, "0 OP_PushInt -2147483648\n"},
        {{47, 0x2C, 0x01, 0x00, 0x00}, "0 OP_JumpIfNotZeroKeep 300\n"},
        {{43, 0xFF, 0xFF, 0xFF, 0xFF}, "0 OP_Jump -1\n"},
        {{32, 0xFF, 0xFF}, "0 OP_LocalLoadObject 65535\n"},
        {{73, 0x02, 0x01}, "0 OP_StringConst 258\n"},
        {{90, 7, 0}, "0 OP_ObjectCast 7\n"},
        {{108, 2, 0}, "0 OP_SelfStoreObjectKeep 2\n"},
        {{94, 0xFE, 0xFF, 5, 0}, "0 OP_Call -2 5\n"},
        {{95, 0, 0, 0x2C, 0x01}, "0 OP_CallNative 0 300\n"},
        {{96, 0xFF, 0xFF, 0xFF, 0xFF}, "0 OP_CallThread -1 65535\n"},
        {{114, 0xFF, 0xFF}, "0 OP_CallInherited -1\n"},
        {{115, 109}, "0 OP_IntToBool\n1 OP_Return\n"},
    };
    for (const Case& c : cases) {
        const GSDisassembly result = Disassemble(c.code);
        EXPECT_TRUE(result.complete) << c.text;
        EXPECT_EQ(result.text, c.text);
    }
}

// The instruction after a table starts where the table's length says.
TEST(GSDisassembler, SwitchAndWaitTables) {
    struct Case {
        Bytes code;
        const char* text;
    } const cases[] = {
        {{113, 3, 0,                             // n = 3
          1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,    // values
          30, 0, 0, 0, 40, 0, 0, 0, 50, 0, 0, 0, // targets
          60, 0, 0, 0,                           // default
          109},
         "0 OP_Switch 3 1:30 2:40 3:50 default:60\n31 OP_Return\n"},
        {{113, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 12, 0, 0, 0, 20, 0, 0, 0},
         "0 OP_Switch 1 -1:12 default:20\n"},
        {{113, 0, 0, 9, 0, 0, 0, 109}, "0 OP_Switch 0 default:9\n7 OP_Return\n"},
        {{112, 2, 0,                 // n = 2
          4, 0, 5, 0, 6, 0, 7, 0,    // (major, minor) pairs
          30, 0, 0, 0, 40, 0, 0, 0,  // targets
          109},
         "0 OP_Wait 2 4/5:30 6/7:40\n19 OP_Return\n"},
        {{112, 0, 0, 109}, "0 OP_Wait 0\n3 OP_Return\n"},
    };
    for (const Case& c : cases) {
        const GSDisassembly result = Disassemble(c.code);
        EXPECT_TRUE(result.complete) << c.text;
        EXPECT_EQ(result.text, c.text);
    }
}

TEST(GSDisassembler, EmptyCodeIsComplete) {
    const GSDisassembly result = Disassemble({});
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.text, "");
}

// The lines before the fault stay; the fault line ends the text.
TEST(GSDisassembler, BadBytesGiveOneFaultLine) {
    struct Case {
        Bytes code;
        const char* text;
    } const cases[] = {
        {{116}, "0 undefined opcode 116\n"},
        {{255, 0, 0, 0, 0}, "0 undefined opcode 255\n"},
        {{11, 200, 11}, "0 OP_PushOne\n1 undefined opcode 200\n"},
        {{30}, "0 OP_PushInt truncated\n"},
        {{30, 1, 2, 3}, "0 OP_PushInt truncated\n"},
        {{44, 1, 0}, "0 OP_JumpIfZero truncated\n"},
        {{11, 31, 1}, "0 OP_PushOne\n1 OP_LocalLoad truncated\n"},
        {{94, 0, 0, 5}, "0 OP_Call truncated\n"},
        {{114, 0}, "0 OP_CallInherited truncated\n"},
        {{113, 3}, "0 OP_Switch truncated\n"},                              // n cut
        {{113, 1, 0, 1, 0, 0, 0, 5, 0, 0, 0}, "0 OP_Switch truncated\n"},   // no default
        {{113, 0xFF, 0xFF, 0, 0, 0, 0}, "0 OP_Switch truncated\n"},         // n = 65535
        {{112, 1, 0, 1, 0, 2, 0, 9, 0, 0}, "0 OP_Wait truncated\n"},        // target cut
        {{112, 0xFF, 0xFF}, "0 OP_Wait truncated\n"},
    };
    for (const Case& c : cases) {
        const GSDisassembly result = Disassemble(c.code);
        EXPECT_FALSE(result.complete) << c.text;
        EXPECT_EQ(result.text, c.text);
    }
}

TEST(GSDisassembler, EveryByteInOpcodePosition) {
    for (int byte = 0; byte <= 255; ++byte) {
        const GSDisassembly result = Disassemble({static_cast<uint8_t>(byte)});
        if (byte >= 116) {
            EXPECT_EQ(result.text, "0 undefined opcode " + std::to_string(byte) + "\n");
            EXPECT_FALSE(result.complete);
        } else {
            // A lone opcode byte is whole exactly when the opcode takes no operands.
            const bool truncated = result.text.ends_with(" truncated\n");
            EXPECT_EQ(result.complete, !truncated) << byte;
        }
    }
}

// One instruction of every operand layout.
const Bytes kEveryLayout = {
    11,                                        // 0 no operands
    30, 1, 2, 3, 4,                            // 1 value
    43, 0, 0, 0, 0,                            // 6 target
    31, 1, 0,                                  // 11 frame slot
    73, 1, 0,                                  // 14 string
    88, 1, 0,                                  // 17 class
    97, 2, 0,                                  // 20 member
    94, 0, 0, 1, 0,                            // 23 call
    114, 0, 0,                                 // 28 inherited
    112, 1, 0, 1, 0, 2, 0, 3, 0, 0, 0,         // 31 wait, n = 1
    113, 1, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, // 42 switch, n = 1
    109,                                       // 57
};
const size_t kBoundaries[] = {0, 1, 6, 11, 14, 17, 20, 23, 28, 31, 42, 57, 58};

bool IsBoundary(size_t length) {
    for (size_t boundary : kBoundaries)
        if (boundary == length) return true;
    return false;
}

// Each prefix gets its own buffer of exactly its size, so a read past it is caught by the
// address sanitizer.
TEST(GSDisassembler, EveryPrefixOfValidCode) {
    const std::string whole = Disassemble(kEveryLayout).text;
    for (size_t length = 0; length <= kEveryLayout.size(); ++length) {
        const Bytes prefix(kEveryLayout.begin(), kEveryLayout.begin() + length);
        const GSDisassembly result = Disassemble(prefix);
        EXPECT_EQ(result.complete, IsBoundary(length)) << length;
        if (result.complete) {
            EXPECT_TRUE(whole.starts_with(result.text)) << length;
        } else {
            EXPECT_TRUE(result.text.ends_with(" truncated\n")) << length;
        }
    }
}

TEST(GSDisassembler, SeededMutationsEndInALineOrAFault) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 3000; ++round) {
        Bytes code = kEveryLayout;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i)
            code[random() % code.size()] = static_cast<uint8_t>(random());
        code.resize(random() % (code.size() + 1));
        const GSDisassembly result = Disassemble(code);
        if (result.complete) continue;
        const size_t lastLine = result.text.rfind('\n', result.text.size() - 2);
        const std::string fault = result.text.substr(lastLine + 1);
        EXPECT_TRUE(fault.find(" truncated\n") != std::string::npos ||
                    fault.find(" undefined opcode ") != std::string::npos)
            << fault;
    }
}

} // namespace
