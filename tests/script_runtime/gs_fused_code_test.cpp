// The run copy's fused steps (gs_fused_code.h) do what their instructions do: a source whose
// functions hold every fused sequence, with the values that take each way through it (every
// sign test both ways, elements inside and outside the array, a null array), gives the
// results the plain instructions give, and a failure inside a sequence is reported as the
// instruction's own. The copy differs from the code only in the fused opcode bytes.
#include <set>

#include "gs_compiled_script_support.h"
#include "script_runtime/gs_fused_code.h"

namespace {

using gstest::Int;

constexpr const char* kFused =
    "class Fused {\n"
    "    int up; int down = 10;\n"
    "    public int Signs(int a, int b) {\n"
    "        int r = 0;\n"
    "        if (a < b) r = r + 1;\n"
    "        if (a <= b) r = r + 2;\n"
    "        if (a > b) r = r + 4;\n"
    "        if (a >= b) r = r + 8;\n"
    "        if (a < b or a > b) r = r + 16;\n"
    "        if (a <= b and a >= b) r = r + 32;\n"
    "        return r;\n"
    "    }\n"
    "    public int Steps(int n) {\n"
    "        int i; int j = 0; int k = 100; int d;\n"
    "        for (i = 0; i < n; i++) { j = j + i; k = k - i; up++; down--; }\n"
    "        d = n; d--;\n"
    "        return j * 1000000 + k * 1000 + up * 100 + down * 10 + d;\n"
    "    }\n"
    "    public int Elements(int n) {\n"
    "        int[] a = new int[n]; int i; int k; int zeros = 0; int sum = 0; int seven = 7;\n"
    "        for (i = 0; i < n; i++) a[i] = i;\n"
    "        k = 0; a[k] = 1; k = 1; a[k] = 0; k = 2; a[k] = 5; k = 3; a[k] = seven;\n"
    "        k = n + 2; a[k] = 1;\n"
    "        for (i = 0; i < n + 3; i++) { if (a[i] == 0) zeros++; sum = sum + a[i]; }\n"
    "        return a.size() * 10000 + zeros * 1000 + sum;\n"
    "    }\n"
    "    public int Outside(int n) { int[] a = new int[n]; int k = n; return a[k]; }\n"
    "    public int Null(int n) { int[] a; int k = n; a[k] = 1; return 0; }\n"
    "};\n";

class GSFusedCodeTest : public gstest::CompiledScriptTest {};

TEST_F(GSFusedCodeTest, FusedStepsGiveTheInstructionsResults) {
    ASSERT_NE(Load("fused", kFused), nullptr);
    GSObject* object = New("Fused");
    ASSERT_NE(object, nullptr);
    const struct {
        int32_t a, b, expected;
    } signs[] = {{1, 2, 1 + 2 + 16}, {2, 2, 2 + 8 + 32}, {3, 2, 4 + 8 + 16}, {-5, 7, 1 + 2 + 16}};
    for (const auto& c : signs)
        EXPECT_EQ(CallInt(object, "Fused", "$int@Fused::Signs(int,int)", {Int(c.a), Int(c.b)}), c.expected)
            << c.a << " " << c.b;
    // j = 0+1+2+3 = 6, k = 100 - 6 = 94, up 4, down 6, d 3.
    EXPECT_EQ(CallInt(object, "Fused", "$int@Fused::Steps(int)", {Int(4)}), 6 * 1000000 + 94 * 1000 + 400 + 60 + 3);
    // Elements 1, 0, 5, 7, 4, 5, the grown cells 0, 0 and 1 at index 8: size 9, zeros 3, sum 23.
    EXPECT_EQ(CallInt(object, "Fused", "$int@Fused::Elements(int)", {Int(6)}), 9 * 10000 + 3 * 1000 + 23);
    delete object;
}

TEST_F(GSFusedCodeTest, FailuresInsideASequenceAreTheInstructionsOwn) {
    ASSERT_NE(Load("fused", kFused), nullptr);
    GSObject* object = New("Fused");
    ASSERT_NE(object, nullptr);
    gstest::LogLines().clear();
    EXPECT_FALSE(Call(object, "Fused", "$int@Fused::Outside(int)", nullptr, {Int(3)}));
    ASSERT_FALSE(gstest::LogLines().empty());
    EXPECT_NE(gstest::LogLines()[0].find("ER_ArrayOutOfBounds, line 27"), std::string::npos) << gstest::LogLines()[0];
    gstest::LogLines().clear();
    EXPECT_FALSE(Call(object, "Fused", "$int@Fused::Null(int)", nullptr, {Int(3)}));
    ASSERT_FALSE(gstest::LogLines().empty());
    EXPECT_NE(gstest::LogLines()[0].find("ER_NullArrayReference, line 28"), std::string::npos) << gstest::LogLines()[0];
    delete object;
}

TEST_F(GSFusedCodeTest, TheRunCopyDiffersOnlyInFusedOpcodes) {
    ASSERT_NE(Load("fused", kFused), nullptr);
    std::set<int> fused;
    for (const GSFunction& function : Class("Fused")->Functions()) {
        if (function.runCode.empty()) continue;  // nothing fused: the code itself runs
        ASSERT_EQ(function.runCode.size(), function.code.size()) << function.name;
        for (size_t i = 0; i < function.code.size(); ++i) {
            if (function.runCode[i] == function.code[i]) continue;
            EXPECT_GE(function.runCode[i], OPX_CompareLocalsJumpFirst) << function.name << " at " << i;
            fused.insert(function.runCode[i]);
        }
    }
    // Every kind of step the source holds was fused somewhere.
    for (const int opcode : {OPX_ArrayLoadLocals, OPX_ArrayStoreLocalsZero, OPX_ArrayStoreLocalsOne,
                             OPX_ArrayStoreLocalsLocal, OPX_ArrayStoreLocalsInt, OPX_AddLocalsStore,
                             OPX_SubLocalsStore, OPX_IncrementLocal, OPX_DecrementLocal, OPX_IncrementSelf,
                             OPX_DecrementSelf, OPX_JumpIfNonZeroValue})
        EXPECT_EQ(fused.count(opcode), 1u) << opcode;
    int compares = 0;
    for (int opcode = OPX_CompareLocalsJumpFirst; opcode < OPX_CompareLocalsJumpFirst + 8; ++opcode)
        compares += static_cast<int>(fused.count(opcode));
    EXPECT_EQ(compares, 4) << "each sign test, jumping when it fails";
}

}  // namespace
