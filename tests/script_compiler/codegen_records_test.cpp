// Code generation beyond single instructions: the member initialiser, object-typed slots,
// line tables, stack depth and temporaries, and every message the generator reports with the
// failure it causes.
#include <gtest/gtest.h>

#include <functional>

#include "analyse_support.h"
#include "codegen_support.h"
#include "parse_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol.h"

namespace {

TEST(CodeRecords, MemberInitialisersGoIntoTheClassInitialiserWhichEndsWithReturn) {
    const auto compiled = CompileText("class C { int m = 3; string s = \"q\"; define int K = 4; int n; };");
    ASSERT_TRUE(compiled->generated);
    const GSCClass* record = compiled->Class("C");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Disassembly(record->initialiser),
              "0 OP_PushInt 3\n5 OP_SelfStore 2\n8 OP_StringConst 0\n11 OP_SelfStoreObject 3\n14 OP_Return\n");
    EXPECT_EQ(ObjectSlots(record->initialiser), (std::vector<uint32_t>{3}));
    EXPECT_EQ(record->initialiser.maxDepth, 1);
    EXPECT_EQ(record->functions.Count(), 0u);

    const auto empty = CompileText("class D { int n; object o; };");
    ASSERT_TRUE(empty->generated);
    EXPECT_EQ(empty->Class("D")->initialiser.code.Length(), 0u);
    EXPECT_EQ(ObjectSlots(empty->Class("D")->initialiser), (std::vector<uint32_t>{3}));
}

TEST(CodeRecords, ObjectTypedSlotsListReferenceParametersAndLocals) {
    const auto compiled =
        CompileText("class C { native void N(string s, int i); void F(string s, int i, object[] a) { int[] x; float y; C c; } };");
    ASSERT_TRUE(compiled->generated);
    EXPECT_EQ(ObjectSlots(*compiled->Function("C", "::F(string,int,object[])")), (std::vector<uint32_t>{1, 3, 4, 6}));
    // A native prototype gets a record with its reference parameters, and no code.
    const GSCFunction* native = compiled->Function("C", "::N(string,int)");
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(ObjectSlots(*native), (std::vector<uint32_t>{1}));
    EXPECT_EQ(native->code.Length(), 0u);
    EXPECT_EQ(native->lines.count, 0u);
}

TEST(CodeRecords, TheLineTableMarksEachInstructionWhereTheLineChanges) {
    const auto compiled = CompileText("class C {\n void F() {\n  int a;\n  a = 1; a = 3;\n\n  a = 2;\n }\n};");
    ASSERT_TRUE(compiled->generated);
    const GSCFunction* function = compiled->Function("C", "::F()");
    ASSERT_EQ(function->lines.count, 3u);
    EXPECT_EQ(function->lines.pairs[0].codeOffset, 0u);
    EXPECT_EQ(function->lines.pairs[0].line, 4u);
    EXPECT_EQ(function->lines.pairs[1].codeOffset, 12u);
    EXPECT_EQ(function->lines.pairs[1].line, 6u);
    EXPECT_EQ(function->lines.pairs[2].codeOffset, 20u);
    EXPECT_EQ(function->lines.pairs[2].line, 7u);
}

TEST(CodeRecords, DepthAndTemporariesAreCounted) {
    const auto compiled = CompileText(
        "class C { int m; int G(int x, int y) { return x; } int F() { return G(2, 3); } int H(C c) { return c.m++ + c.m--; } };");
    ASSERT_TRUE(compiled->generated);
    const GSCFunction* f = compiled->Function("C", "::F()");
    EXPECT_EQ(f->maxDepth, 3);
    EXPECT_EQ(f->symbol->temporaryCount, 0);
    // The first postfix frees its temporary before the second takes one.
    const GSCFunction* h = compiled->Function("C", "::H(C)");
    EXPECT_EQ(h->symbol->temporaryCount, 1);
    EXPECT_EQ(h->depth, 0);
}

struct MessageCase {
    const char* name;
    const char* source;
    std::vector<std::string> messages;
    int errors;
};

const MessageCase kMessageCases[] = {
    {"PrototypeNeverImplemented", "class C { int P(int a); };", {"Function ::P(int) not implemented"}, 0},
    {"DuplicateCase",
     "class C {\n void F(int x) {\n  switch (x) {\n   case 1: break;\n   case 1: break;\n   default: break;\n  }\n }\n};",
     {"test.gs(5) : case has duplicate value, line 5"}, 1},
    {"GotoWithoutLabel", "class C {\n void F() {\n  goto nowhere;\n }\n};", {"test.gs(3) : no matching label, line 3"}, 1},
    {"BoolDefineOutsideZeroAndOne", "class C { define bool B = 5; bool F() { return B; } };", {"Compiler error GEC"}, 0},
    {"NativeWithABody", "class C { native void N() { } };", {"Native function ::N() has been implemented"}, 0},
    {"LabelPlacedTwice", "class C {\n void F() {\n  L: ;\n  L: ;\n }\n};", {"test.gs(4) : label L placed twice"}, 1},
};

class CodeGenerationMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(CodeGenerationMessages, FailTheGeneration) {
    const MessageCase& c = GetParam();
    const auto compiled = CompileText(c.source);
    EXPECT_FALSE(compiled->generated);
    EXPECT_EQ(compiled->messages, c.messages);
    EXPECT_EQ(compiled->context.arena.errorCount, c.errors);
}

INSTANTIATE_TEST_SUITE_P(Failures, CodeGenerationMessages, testing::ValuesIn(kMessageCases),
                         [](const testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

// Values the checks never let through, made by changing a checked tree: the generator still
// refuses them with its own message.
struct TamperCase {
    const char* source;  // of class C, whose first function's first statement is changed
    std::function<void(GSCNode*)> change;
    std::vector<std::string> messages;
};

TEST(CodeRecords, ValuesTheChecksExcludeStillFailWithTheirMessage) {
    const TamperCase cases[] = {
        {"class C { int F(int a) { return -a; } };",
         [](GSCNode* statement) { statement->child[0]->child[0]->valueType = GS_TYPE_BOOL; }, {"Compiler error GEOUM"}},
        {"class C { string F(int a) { return (string)a; } };",
         [](GSCNode* statement) { statement->child[0]->child[0]->valueType = GS_TYPE_OBJECT; }, {"Compiler error GECTS"}},
        {"class C {\n void F() {\n  while (true) break;\n }\n};",
         [](GSCNode* statement) { statement->child[1]->jumpTarget = statement->child[0]; }, {"test.gs(3) : Break, line 3"}},
        {"class C {\n void F() {\n  while (true) continue;\n }\n};",
         [](GSCNode* statement) { statement->child[1]->jumpTarget = statement->child[0]; },
         {"test.gs(3) : Continue, line 3"}},
    };
    for (const TamperCase& c : cases) {
        const auto compiled = CompileText(c.source);
        ASSERT_TRUE(compiled->generated) << c.source;
        compiled->context.DeleteClasses();
        c.change(FirstStatement(Member(ClassNode(compiled->context.arena.root, "C"), 0)));
        EXPECT_FALSE(GSCompiler::GenerateCode(compiled->context)) << c.source;
        EXPECT_EQ(TakeMessages(compiled->log), c.messages) << c.source;
    }
}

TEST(CodeRecords, GenerationRefusesASourceWithErrorsOrWithoutATree) {
    auto compiled = CompileText("class C { void F() { } };");
    ASSERT_TRUE(compiled->generated);
    compiled->context.DeleteClasses();
    compiled->context.arena.errorCount = 1;
    EXPECT_FALSE(GSCompiler::GenerateCode(compiled->context));
    compiled->context.arena.errorCount = 0;
    compiled->context.arena.root = nullptr;
    EXPECT_FALSE(GSCompiler::GenerateCode(compiled->context));
    EXPECT_EQ(compiled->context.classes.Count(), 0u);
}

TEST(CodeRecords, LibraryStringsAreInternedOnceByExactBytes) {
    GSCompileContext context;
    EXPECT_EQ(GSCompiler::InternLibraryString("a", context), 0);
    EXPECT_EQ(GSCompiler::InternLibraryString("A", context), 1);
    EXPECT_EQ(GSCompiler::InternLibraryString("a", context), 0);
    EXPECT_EQ(GSCompiler::InternLibraryString("", context), 2);
    EXPECT_EQ(context.nextStringIndex, 3);
}

}  // namespace
