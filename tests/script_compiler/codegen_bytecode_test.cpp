// Code generation, construct by construct: each snippet's function compiled and its byte
// code disassembled, against the instruction sequence the generator's rules give (written
// by hand: offsets, operands, jump targets and switch and wait tables).
#include <gtest/gtest.h>

#include "codegen_support.h"

namespace {

struct CodeCase {
    const char* name;
    const char* source;  // the members of class C
    const char* key;     // the function compiled
    const char* code;
};

const CodeCase kCases[] = {
    {"LocalsAndReturn", "int F(int a) { int b = a + 1; return b; }", "::F(int)",
     "0 OP_LocalLoad 1\n3 OP_PushOne\n4 OP_IntAdd\n5 OP_LocalStore 2\n8 OP_LocalLoad 2\n11 OP_ReturnValue\n"},
    {"PostfixStatementPopsTheOldValue", "void F() { int i; i++; }", "::F()",
     "0 OP_LocalLoad 1\n3 OP_Dup\n4 OP_IntInc\n5 OP_LocalStore 1\n8 OP_Pop\n9 OP_Return\n"},
    {"PrefixStatementLeavesNothing", "void F() { int i; ++i; }", "::F()",
     "0 OP_LocalLoad 1\n3 OP_IntInc\n4 OP_LocalStore 1\n7 OP_Return\n"},
    {"FloatDecrementKeepsTheNewValue", "float F(float f) { return --f; }", "::F(float)",
     "0 OP_LocalLoad 1\n3 OP_FloatDec\n4 OP_LocalStoreKeep 1\n7 OP_ReturnValue\n"},
    {"PostfixOnAMemberSavesTheOldValueInATemporary", "int m; int F(C c) { return c.m++; }", "::F(C)",
     "0 OP_LocalLoadObject 1\n3 OP_DupObject\n4 OP_MemberLoad 2\n7 OP_LocalStoreKeep 2\n10 OP_IntInc\n"
     "11 OP_MemberStore 2\n14 OP_LocalLoad 2\n17 OP_ReturnValue\n"},
    {"PostfixOnAnElementAsAStatementNeedsNoTemporary", "void F(int[] a) { a[2]--; }", "::F(int[])",
     "0 OP_LocalLoadObject 1\n3 OP_PushInt 2\n8 OP_DupPair\n9 OP_ArrayLoad\n10 OP_IntDec\n11 OP_ArrayStore\n12 OP_Return\n"},
    {"WhileOnAnObjectTestsForNull", "void F(object o) { while (o) { } }", "::F(object)",
     "0 OP_LocalLoadObject 1\n3 OP_ObjectIsNotNull\n4 OP_JumpIfZero 14\n9 OP_Jump 0\n14 OP_Return\n"},
    {"IfElse", "int F(bool c) { int r; if (c) r = 1; else r = 2; return r; }", "::F(bool)",
     "0 OP_LocalLoad 1\n3 OP_JumpIfZero 17\n8 OP_PushOne\n9 OP_LocalStore 2\n12 OP_Jump 25\n17 OP_PushInt 2\n"
     "22 OP_LocalStore 2\n25 OP_LocalLoad 2\n28 OP_ReturnValue\n"},
    {"ForWithContinueAtTheStep", "int F() { int i; int s; for (i = 0; i < 3; i++) { if (i == 1) continue; s = s + i; } return s; }",
     "::F()",
     "0 OP_PushZero\n1 OP_LocalStore 1\n4 OP_LocalLoad 1\n7 OP_PushInt 3\n12 OP_IntCompare\n13 OP_IsNegative\n"
     "14 OP_JumpIfZero 59\n19 OP_LocalLoad 1\n22 OP_PushOne\n23 OP_IntCompare\n24 OP_IntNot\n25 OP_JumpIfZero 35\n"
     "30 OP_Jump 45\n35 OP_LocalLoad 2\n38 OP_LocalLoad 1\n41 OP_IntAdd\n42 OP_LocalStore 2\n45 OP_LocalLoad 1\n"
     "48 OP_Dup\n49 OP_IntInc\n50 OP_LocalStore 1\n53 OP_Pop\n54 OP_Jump 4\n59 OP_LocalLoad 2\n62 OP_ReturnValue\n"},
    {"SwitchTableInAscendingOrder",
     "void F(int x) { int y; switch (x) { case 3: y = 30; break; case 1: y = 10; break; case 2: y = 20; break; "
     "default: y = 0; } }",
     "::F(int)",
     "0 OP_LocalLoad 1\n3 OP_Switch 3 1:47 2:60 3:34 default:73\n34 OP_PushInt 30\n39 OP_LocalStore 2\n42 OP_Jump 77\n"
     "47 OP_PushInt 10\n52 OP_LocalStore 2\n55 OP_Jump 77\n60 OP_PushInt 20\n65 OP_LocalStore 2\n68 OP_Jump 77\n"
     "73 OP_PushZero\n74 OP_LocalStore 2\n77 OP_Return\n"},
    // A case at the default's own value is no duplicate of the default, in either order.
    {"SwitchCaseAtTheDefaultsValue",
     "void F(int x) { int y; switch (x) { default: y = 0; break; case 2147483647: y = 1; } }", "::F(int)",
     "0 OP_LocalLoad 1\n3 OP_Switch 1 2147483647:27 default:18\n18 OP_PushZero\n19 OP_LocalStore 2\n"
     "22 OP_Jump 31\n27 OP_PushOne\n28 OP_LocalStore 2\n31 OP_Return\n"},
    {"GotoAndLabel", "void F() { int i; again: i = i + 1; if (i < 5) goto again; }", "::F()",
     "0 OP_LocalLoad 1\n3 OP_PushOne\n4 OP_IntAdd\n5 OP_LocalStore 1\n8 OP_LocalLoad 1\n11 OP_PushInt 5\n"
     "16 OP_IntCompare\n17 OP_IsNegative\n18 OP_JumpIfZero 28\n23 OP_Jump 0\n28 OP_Return\n"},
    {"WaitTableWithTwoHandlers",
     "void F() { object msg; wait() { on \"A\", \"b\": break; on \"C\", \"d\", msg: break; } }", "::F()",
     "0 OP_Wait 2 0/1:19 2/3:30\n19 OP_PopObject\n20 OP_Jump 38\n25 OP_Jump 38\n30 OP_LocalStoreObject 1\n"
     "33 OP_Jump 38\n38 OP_Return\n"},
    {"OnOutsideAWaitWaitsForItsOwnMessage", "void F() { on \"A\", \"b\": return; }", "::F()",
     "0 OP_Wait 1 0/1:11\n11 OP_PopObject\n12 OP_Return\n"},
    {"OnStoresTheMessageIntoAMemberThroughATemporary",
     "object msg; void F(C c) { wait() { on \"A\", \"b\", c.msg: continue; } }", "::F(C)",
     "0 OP_Wait 1 0/1:11\n11 OP_LocalStore 2\n14 OP_LocalLoadObject 1\n17 OP_LocalLoad 2\n"
     "20 OP_MemberStoreObject 2\n23 OP_Jump 0\n28 OP_Return\n"},
    {"CallsPushTheReceiverAndCountTheArguments", "int G(int x, int y) { return x; } int F() { return G(2, 3); }",
     "::F()", "0 OP_LocalLoadObject 0\n3 OP_PushInt 2\n8 OP_PushInt 3\n13 OP_Call -2 0\n18 OP_ReturnValue\n"},
    {"NativeAndThreadCalls",
     "native int N(int x); thread void T() { } void F(C c) { c.N(3); T(); }", "::F(C)",
     "0 OP_LocalLoadObject 1\n3 OP_PushInt 3\n8 OP_CallNative -1 0\n13 OP_Pop\n14 OP_LocalLoadObject 0\n"
     "17 OP_CallThread 0 1\n22 OP_Return\n"},
    {"InheritedCall", "void F(int x) { inherited(x); }", "::F(int)",
     "0 OP_LocalLoadObject 0\n3 OP_LocalLoad 1\n6 OP_CallInherited -1\n9 OP_Return\n"},
    {"ConversionsOfArithmetic", "float F(float f, int i) { return f * i - i; }", "::F(float,int)",
     "0 OP_LocalLoad 1\n3 OP_LocalLoad 2\n6 OP_IntToFloat\n7 OP_FloatMul\n8 OP_LocalLoad 2\n11 OP_IntToFloat\n"
     "12 OP_FloatSub\n13 OP_ReturnValue\n"},
    {"StringConcatenationConvertsEachOperand", "string F(string s, int i, float f) { return s + i + f; }",
     "::F(string,int,float)",
     "0 OP_LocalLoadObject 1\n3 OP_LocalLoad 2\n6 OP_IntToString\n7 OP_StringConcat\n8 OP_LocalLoad 3\n"
     "11 OP_FloatToString\n12 OP_StringConcat\n13 OP_ReturnObject\n"},
    {"Casts", "int F(float f, bool b) { string s = (string)b; return (int)f; }", "::F(float,bool)",
     "0 OP_LocalLoad 2\n3 OP_BoolToString\n4 OP_StringCopy\n5 OP_LocalStoreObject 3\n8 OP_LocalLoad 1\n"
     "11 OP_FloatToInt\n12 OP_ReturnValue\n"},
    {"AssignmentConvertsAndKeepsTheValueWhenUsed", "int F() { float f; int a; f = a = 5; return a; }", "::F()",
     "0 OP_PushInt 5\n5 OP_LocalStoreKeep 2\n8 OP_IntToFloat\n9 OP_LocalStore 1\n12 OP_LocalLoad 2\n15 OP_ReturnValue\n"},
    {"MemberStoresAndAStringCopy", "int m; string s; void F(string t) { m = 1; s = t; s = \"x\"; }", "::F(string)",
     "0 OP_PushOne\n1 OP_SelfStore 2\n4 OP_LocalLoadObject 1\n7 OP_StringCopy\n8 OP_SelfStoreObject 3\n"
     "11 OP_StringConst 0\n14 OP_SelfStoreObject 3\n17 OP_Return\n"},
    // A declared string starts as a copy too, so writing into it never changes the source.
    {"StringInitialisedFromAVariableIsCopied", "void F(string t) { string s = t; }", "::F(string)",
     "0 OP_LocalLoadObject 1\n3 OP_StringCopy\n4 OP_LocalStoreObject 2\n7 OP_Return\n"},
    {"ElementAndRangeStores", "void F(string s, object[] a) { s[1] = 65; a[0] = null; s[1,] = \"ab\"; }",
     "::F(string,object[])",
     "0 OP_LocalLoadObject 1\n3 OP_PushOne\n4 OP_PushInt 65\n9 OP_StringSetChar\n10 OP_LocalLoadObject 2\n"
     "13 OP_PushZero\n14 OP_PushZero\n15 OP_ArrayStoreObject\n16 OP_LocalLoadObject 1\n19 OP_PushInt -1\n"
     "24 OP_PushOne\n25 OP_StringConst 0\n28 OP_StringRangeStore\n29 OP_Return\n"},
    {"IndexAndRangeReads", "string F(string s, int[] a) { int i = s[0] + a[1]; return s[1, 3]; }", "::F(string,int[])",
     "0 OP_LocalLoadObject 1\n3 OP_PushZero\n4 OP_StringCharAt\n5 OP_LocalLoadObject 2\n8 OP_PushOne\n9 OP_ArrayLoad\n"
     "10 OP_IntAdd\n11 OP_LocalStore 3\n14 OP_LocalLoadObject 1\n17 OP_PushInt 3\n22 OP_PushOne\n23 OP_StringRange\n"
     "24 OP_ReturnObject\n"},
    {"Comparisons", "bool F(int a, float b, string s, object o) { return a < b and s == \"x\" or o != null; }",
     "::F(int,float,string,object)",
     "0 OP_LocalLoad 1\n3 OP_IntToFloat\n4 OP_LocalLoad 2\n7 OP_FloatCompare\n8 OP_IsNegative\n"
     "9 OP_JumpIfZeroKeep 23\n14 OP_Pop\n15 OP_LocalLoadObject 3\n18 OP_StringConst 0\n21 OP_StringCompare\n"
     "22 OP_IntNot\n23 OP_JumpIfNotZeroKeep 35\n28 OP_Pop\n29 OP_LocalLoadObject 4\n32 OP_PushZero\n"
     "33 OP_ObjectCompare\n34 OP_IntToBool\n35 OP_ReturnValue\n"},
    // References compare as references whichever side null stands on.
    {"NullComparedWithAnObject", "bool F(object o) { return null == o; }", "::F(object)",
     "0 OP_PushZero\n1 OP_LocalLoadObject 1\n4 OP_ObjectCompare\n5 OP_IntNot\n6 OP_ReturnValue\n"},
    {"UnaryOperators", "int F(int a, object o, float f) { bool b = !o; b = !f; return -a + ~a; }", "::F(int,object,float)",
     "0 OP_LocalLoadObject 2\n3 OP_ObjectIsNull\n4 OP_LocalStore 4\n7 OP_LocalLoad 3\n10 OP_FloatNot\n"
     "11 OP_LocalStore 4\n14 OP_LocalLoad 1\n17 OP_IntNeg\n18 OP_LocalLoad 1\n21 OP_IntComplement\n22 OP_IntAdd\n"
     "23 OP_ReturnValue\n"},
    {"SizeCopyAndNewArrays", "int F(int[] a, string s) { a.copy(new int[4]); string[] t = new string[2]; return a.size() + s.size(); }",
     "::F(int[],string)",
     "0 OP_PushInt 4\n5 OP_ArrayNew\n6 OP_ArrayCopy\n7 OP_LocalStoreObject 1\n10 OP_PushInt 2\n15 OP_ArrayNewObject\n"
     "16 OP_LocalStoreObject 3\n19 OP_LocalLoadObject 1\n22 OP_ArraySize\n23 OP_LocalLoadObject 2\n26 OP_StringLength\n"
     "27 OP_IntAdd\n28 OP_ReturnValue\n"},
    {"ConstantsAndDiscardedValues", "void F() { float f = 2.5; string s = new string(); null; 7; \"v\"; }", "::F()",
     "0 OP_PushInt 1075838976\n5 OP_LocalStore 1\n8 OP_StringNew\n9 OP_LocalStoreObject 2\n12 OP_PushZero\n"
     "13 OP_PopObject\n14 OP_PushInt 7\n19 OP_Pop\n20 OP_StringConst 0\n23 OP_PopObject\n24 OP_Return\n"},
    {"ParenthesisedListKeepsOnlyItsLastValue", "int F(int a) { return (a, a + 1); }", "::F(int)",
     "0 OP_LocalLoad 1\n3 OP_Pop\n4 OP_LocalLoad 1\n7 OP_PushOne\n8 OP_IntAdd\n9 OP_ReturnValue\n"},
    {"DiscardedParenthesisedListStoresWithoutKeeping", "void F() { int a; int b; (a = 1, b = 2); }", "::F()",
     "0 OP_PushOne\n1 OP_LocalStore 1\n4 OP_PushInt 2\n9 OP_LocalStore 2\n12 OP_Return\n"},
};

class CodeGeneration : public testing::TestWithParam<CodeCase> {};

TEST_P(CodeGeneration, EmitsTheConstructsInstructions) {
    const CodeCase& c = GetParam();
    const auto compiled = CompileText(std::string("class C { ") + c.source + " };");
    ASSERT_TRUE(compiled->generated) << (compiled->messages.empty() ? "" : compiled->messages[0]);
    GSCFunction* function = compiled->Function("C", c.key);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(Disassembly(*function), c.code);
    EXPECT_EQ(function->depth, 0);
}

INSTANTIATE_TEST_SUITE_P(Constructs, CodeGeneration, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.name); });

}  // namespace
