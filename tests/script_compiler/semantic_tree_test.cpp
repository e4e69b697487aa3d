// What the semantic checks leave in the tree for code generation: slots of members, locals
// and parameters, the chosen overload of a call with its argument slots and inserted casts,
// jump targets and label chains, the implicit return; the include mode; and the two nesting
// limits (the walk's 128 entries, the 63 scope levels).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "analyse_support.h"
#include "script_compiler/compile_arena.h"

namespace {

TEST(SemanticTree, SlotsOfMembersLocalsAndParameters) {
    auto analysed = Analyse(
        "class P { int p1, p2; }; class Q { int q1; };"
        "class D isclass P, Q { int d1; void f(int a, string b) { int l1; { int l2; l2 = a; } l1 = d1 + q1 + p2; } };");
    ASSERT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* d = ClassNode(analysed->Root(), "D");
    EXPECT_EQ(Member(d, 0)->child[1]->child[0]->slot, 9) << "own variables after P (2..5) and Q (6..8)";
    GSCNode* f = Member(d, 1);
    EXPECT_EQ(f->child[2]->child[1]->slot, 1);
    EXPECT_EQ(f->child[2]->next->child[1]->slot, 2);
    GSCNode* l1 = FirstStatement(f);
    EXPECT_EQ(l1->child[1]->child[0]->slot, 3) << "locals follow the arguments";
    GSCNode* inner = l1->next;
    EXPECT_EQ(inner->child[0]->child[1]->child[0]->slot, 4);
    GSCNode* assign = inner->child[0]->next;
    EXPECT_EQ(assign->child[0]->slot, 4);
    EXPECT_EQ(assign->child[1]->slot, 1);
    EXPECT_TRUE(assign->child[0]->flags & GS_FLAG_LVALUE);
    GSCNode* sum = inner->next->child[1];  // (d1 + q1) + p2
    EXPECT_EQ(sum->child[1]->slot, 5);
    EXPECT_EQ(sum->child[0]->child[1]->slot, 8);
    EXPECT_EQ(sum->child[0]->child[0]->slot, 9);
    EXPECT_EQ(analysed->table.Level(), 0) << "every scope closed";
}

GSCNode* Function(AnalysedText& analysed, const std::string& className, const std::string& name) {
    for (GSCNode* m = Member(ClassNode(analysed.Root(), className), 0); m; m = m->next)
        if (m->kind == GS_DECL_FUNCTION && name == m->child[1]->value.text) return m;
    return nullptr;
}

GSCNode* LastStatement(GSCNode* function) {
    GSCNode* node = FirstStatement(function);
    while (node && node->next) node = node->next;
    return node;
}

// The last call among a body's statements (a void body ends with its implicit return).
GSCNode* LastCall(GSCNode* function) {
    GSCNode* call = nullptr;
    for (GSCNode* node = FirstStatement(function); node; node = node->next)
        if (node->category == GS_EXPRESSION && node->kind == GS_EXPR_CALL) call = node;
    return call;
}

bool IsCast(const GSCNode* node) { return node->kind == GS_EXPR_OPERATOR && node->sub == GS_OP_CAST; }

TEST(SemanticTree, OverloadsPreferNoConversionAndInsertCastsOtherwise) {
    struct Case {
        const char* declarations;  // in class A, before g (method-table indices from 0)
        const char* call;
        int16_t slot;
        int32_t castType;  // -1: no cast
    };
    const Case cases[] = {
        {"void f(float a) {} void f(int a) {}", "f(1);", 1, -1},
        {"void f(float a) {}", "f(1);", 0, GS_TYPE_FLOAT},
        {"void f(string s) {} void f(B b) {}", "B b; f(b);", 1, -1},
        {"void f(string s) {}", "f(2.5);", 0, GS_TYPE_STRING},
        {"void f(B b) {}", "f(null);", 0, GS_TYPE_OBJECT},
        {"void f(object[] a) {}", "object[] o; f(o);", 0, -1},
        {"void f(object o) {}", "B b; f(b);", 0, GS_TYPE_OBJECT},
    };
    for (const Case& c : cases) {
        auto analysed = Analyse(std::string("class B {}; class A { ") + c.declarations + " void g() { " + c.call + " } };");
        ASSERT_EQ(analysed->messages, std::vector<std::string>{}) << c.declarations;
        GSCNode* call = LastCall(Function(*analysed, "A", "g"));
        ASSERT_NE(call, nullptr) << c.call;
        EXPECT_EQ(call->slot, c.slot) << c.declarations;
        EXPECT_EQ(call->argumentSlots, 2);
        EXPECT_EQ(call->valueType, GS_TYPE_VOID);
        const GSCNode* argument = call->child[1];
        EXPECT_EQ(IsCast(argument), c.castType >= 0) << c.declarations;
        if (c.castType < 0) continue;
        EXPECT_EQ(argument->valueType, c.castType);
        EXPECT_EQ(argument->child[1]->sub, c.castType);
        EXPECT_EQ(argument->child[0]->next, nullptr);
    }
}

TEST(SemanticTree, ANullArgumentForTwoClassOverloadsTakesTheFirstFoundSilently) {
    auto analysed = Analyse("class B {}; class C {}; class A { void f(B b) {} void f(C c) {} void g() { f(null); } };");
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* call = LastCall(Function(*analysed, "A", "g"));
    ASSERT_NE(call, nullptr);
    ASSERT_TRUE(IsCast(call->child[1]));
    // Both need a conversion; the first candidate in the member table's order wins.
    GSSymbol* first = nullptr;
    Utils::HashTable::Iterator it;
    auto* a = static_cast<GSClassSymbol*>(analysed->table.FindGlobal("A"));
    for (bool more = a->Members().Begin(it); more && !first; more = it.Next()) {
        auto* symbol = static_cast<GSSymbol*>(it.Current());
        if (std::string(symbol->name).starts_with("::f(")) first = symbol;
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(call->slot, first->index);
    EXPECT_STREQ(call->child[1]->className, std::string(first->name) == "::f(B)" ? "B" : "C");
}

TEST(SemanticTree, OwnOverloadsHideTheBaseClassesOfTheSameArity) {
    auto analysed = Analyse(
        "class Base { public void f(int a) {} public void f(int a, int b) {} };"
        "class D isclass Base { void f(string s) {} void g() { f(1); f(1, 2); } };"
        "static class K { public void s() {} };"
        "class U { void u() { D d; d.f(1, 2); K.s(); } };");
    ASSERT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* first = FirstStatement(Function(*analysed, "D", "g"));
    EXPECT_TRUE(IsCast(first->child[1])) << "f(1) reaches D's f(string), not Base's f(int)";
    EXPECT_EQ(first->slot, 2) << "D's own functions follow Base's two";
    EXPECT_EQ(first->next->slot, 1) << "f(1, 2) reaches Base's";
    EXPECT_FALSE(first->flags & GS_FLAG_MEMBER_CALL);
    GSCNode* member = Nth(FirstStatement(Function(*analysed, "U", "u")), 1);
    EXPECT_TRUE(member->flags & GS_FLAG_MEMBER_CALL);
    EXPECT_TRUE(member->flags & GS_FLAG_PUBLIC);
    EXPECT_FALSE(member->flags & GS_FLAG_FINAL);
    EXPECT_EQ(member->argumentSlots, 3);
    EXPECT_TRUE(member->next->flags & GS_FLAG_FINAL) << "a call into a static class";
}

TEST(SemanticTree, InheritedTakesTheCurrentFunction) {
    auto analysed = Analyse(
        "class Base { int f(int a) { return a; } }; class D isclass Base { int g() { return 0; } int f(int a) { return inherited(a); } };");
    ASSERT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* call = FirstStatement(Function(*analysed, "D", "f"))->child[0];
    EXPECT_EQ(call->slot, 2) << "D's second own function after Base's one";
    EXPECT_EQ(call->argumentSlots, 2);
    EXPECT_EQ(call->valueType, GS_TYPE_INT);
}

TEST(SemanticTree, JumpsAndLabelsAreLinkedToTheirStatements) {
    auto analysed = Analyse(
        "class A { void f(int x) { while (true) { if (x) break; } switch (x) { case 1: break; case 2: default: x = 1; } "
        "wait() { on \"a\", \"b\": break; on \"c\", \"d\": continue; } } };");
    ASSERT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* loop = FirstStatement(Member(analysed->Root(), 0));
    GSCNode* breakNode = loop->child[1]->child[0]->child[1];
    EXPECT_EQ(breakNode->jumpTarget, loop);
    GSCNode* switchNode = loop->next;
    GSCNode* case1 = switchNode->child[1]->child[0];
    GSCNode* case2 = case1->next->next;
    GSCNode* defaultNode = case2->next;
    EXPECT_EQ(case1->next->jumpTarget, switchNode) << "break leaves the switch";
    EXPECT_TRUE(switchNode->flags & GS_FLAG_HAS_DEFAULT);
    EXPECT_EQ(switchNode->labelChain, defaultNode) << "newest first";
    EXPECT_EQ(defaultNode->labelChain, case2);
    EXPECT_EQ(case2->labelChain, case1);
    EXPECT_EQ(case1->labelChain, nullptr);
    EXPECT_EQ(case2->jumpTarget, switchNode);
    GSCNode* wait = switchNode->next;
    GSCNode* on1 = wait->child[0]->child[0];
    GSCNode* on2 = on1->next->next;
    EXPECT_EQ(wait->labelChain, on2);
    EXPECT_EQ(on2->labelChain, on1);
    EXPECT_EQ(on2->next->jumpTarget, wait) << "continue in a wait";
}

TEST(SemanticTree, AVoidFunctionGetsAnImplicitReturn) {
    auto analysed = Analyse("class A { void f() { int x; } void g() { return; } void h() {} };");
    ASSERT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* last = LastStatement(Function(*analysed, "A", "f"));
    EXPECT_EQ(last->category, GS_STATEMENT);
    EXPECT_EQ(last->kind, GS_STMT_RETURN);
    EXPECT_EQ(last->child[0], nullptr);
    EXPECT_EQ(FirstStatement(Function(*analysed, "A", "g"))->next, nullptr) << "no second return";
    EXPECT_EQ(FirstStatement(Function(*analysed, "A", "h"))->kind, GS_STMT_RETURN) << "an empty body";
}

TEST(SemanticTree, AnIncludeDeclaresWithoutCheckingBodiesAndResolvesParentsOnFirstUse) {
    auto analysed = Analyse(
        "class A isclass Later { void f() { nothing(); } public int x = y; public define int K = 3 * 2; };"
        "class Later { int l1, l2; };",
        true);
    EXPECT_TRUE(analysed->passed);
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
    auto* a = static_cast<GSClassSymbol*>(analysed->table.FindGlobal("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->HasPendingParents());
    EXPECT_EQ(a->FindMember("K", false, true)->value.integer, 6) << "a define is analysed even in an include";

    std::unique_ptr<ParsedText> top;
    EXPECT_TRUE(AnalyseMore(*analysed, top, "class T { void g() { A a; a.x = A.K; } };"));
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
    EXPECT_FALSE(a->HasPendingParents());
    GSCNode* assign = FirstStatement(Member(top->Root(), 0))->next;
    EXPECT_EQ(assign->child[0]->child[1]->slot, 6) << "after A's header and Later's instance (2..5)";
    EXPECT_EQ(assign->child[1]->kind, GS_EXPR_CONSTANT);
}

TEST(SemanticTree, ReferenceNumbersFollowTheTopSourcesLookupsAfterItsIncludes) {
    auto analysed = Analyse("class X { public int v; public void f() {} }; class Y { public void g() {} }; class Z {};", true);
    ASSERT_TRUE(analysed->passed);
    std::unique_ptr<ParsedText> top;
    ASSERT_TRUE(AnalyseMore(*analysed, top, "class T { void h() { Y y; X x; x.v = 1; Y w; } };"));
    auto number = [&](const char* name) { return analysed->table.FindGlobal(name)->referenceNumber; };
    EXPECT_EQ(number("Y"), 0);
    EXPECT_EQ(number("X"), 1);
    EXPECT_EQ(number("Z"), -1) << "never looked up";
    EXPECT_EQ(analysed->table.classReferenceCount, 2);
}

std::string NestedBlocks(int depth) {
    return "class A { void f() { " + std::string(depth, '{') + std::string(depth, '}') + " } };";
}

TEST(SemanticTree, BlocksNestedBeyondTheSixtyThirdLevelAreRefused) {
    // The body's parameters take level 1, so 62 nested blocks reach level 63.
    auto deepest = Analyse(NestedBlocks(62));
    EXPECT_TRUE(deepest->passed);
    EXPECT_EQ(deepest->messages, std::vector<std::string>{});
    auto refused = Analyse(NestedBlocks(63));
    EXPECT_FALSE(refused->passed);
    EXPECT_EQ(refused->messages, std::vector<std::string>{"test.gs(1) : Stack overflow; code nested too deep."});
    EXPECT_EQ(refused->parsed->arena->errorCount, 1);
    EXPECT_EQ(refused->table.Level(), 0) << "an ended walk closes its scopes";
}

std::string NestedSum(int depth) {
    std::string expression = "1";
    for (int i = 0; i < depth; ++i) expression = "(" + expression + " + 1)";
    return "class A { void f() { " + expression + "; } };";
}

TEST(SemanticTree, TheWalkOverflowsAtOneHundredAndTwentyEightPendingEntries) {
    // A left-nested sum keeps two entries per level (the operator's post visit and its
    // right operand) above the class, function and body post visits; the innermost of d
    // operators pushes three more, so it needs 2d + 4 entries: 62 levels fit, 63 do not.
    constexpr int kDeepestWalked = 62;
    auto walked = Analyse(NestedSum(kDeepestWalked));
    EXPECT_TRUE(walked->passed);
    EXPECT_EQ(walked->messages, std::vector<std::string>{});
    auto overflow = Analyse(NestedSum(kDeepestWalked + 1));
    EXPECT_FALSE(overflow->passed);
    EXPECT_EQ(overflow->messages, std::vector<std::string>{"Stack overflow; code nested too deep."});
    EXPECT_EQ(overflow->parsed->arena->errorCount, 1);
    EXPECT_EQ(overflow->table.Level(), 0);
}

}  // namespace
