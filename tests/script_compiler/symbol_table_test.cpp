// The symbol tables: scoping and shadowing by level, the instance layout under multiple
// inheritance, member lookup along a deep chain, parent resolution with its four messages,
// overload lookup that hides the ancestors' functions, reference numbering in order of first
// use, and dependencies that compare without regard to case.
#include "script_compiler/gs_symbol_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "parse_support.h"
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_log.h"

namespace {

// The parameters of a key "::Name(a,b)".
int32_t ParameterCount(const std::string& key) {
    if (key.ends_with("()")) return 0;
    return 1 + static_cast<int32_t>(std::count(key.begin(), key.end(), ','));
}

class SymbolTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        arena.Reset(&table, &log);
        arena.fileName = "top.gs";
        table.arena = &arena;
        GSDependentSymbol* dependency = table.NewDependency("lib.gs");
        ASSERT_TRUE(table.Add(nullptr, dependency, false));
        table.currentDependency = dependency;
    }

    GSClassSymbol* Class(const char* name, std::vector<const char*> variables = {},
                         std::vector<const char*> functions = {}, uint32_t flags = 0) {
        GSClassSymbol* symbol = table.NewClass(name);
        symbol->flags = flags;
        EXPECT_TRUE(table.Add(nullptr, symbol, false)) << name;
        for (const char* variable : variables) EXPECT_TRUE(table.Add(symbol, table.NewVariable(variable), true));
        for (const char* function : functions) {
            GSFunctionSymbol* f = table.NewFunction(function);
            f->argumentCount = 1 + ParameterCount(function);
            EXPECT_TRUE(table.Add(symbol, f, true)) << function;
        }
        return symbol;
    }

    int32_t Slot(GSClassSymbol* inClass, const char* member) {
        GSSymbol* symbol = table.Find(member, inClass, false, true);
        int32_t slot = -100;
        if (symbol) inClass->GetSlot(*symbol, slot);
        return slot;
    }

    GSSymbolTable table;
    CompileArena arena;
    GSCompileLog log;
};

TEST_F(SymbolTableTest, TwoDirectParentsAreEmbeddedWithTheirHeadersBeforeTheOwnVariables) {
    GSClassSymbol* p = Class("P", {"p1", "p2"}, {"::f()", "::g()"});
    GSClassSymbol* q = Class("Q", {"q1"}, {"::h()"});
    GSClassSymbol* d = Class("D", {"d1"}, {"::k()"});
    d->AddParentName("P", 4);
    d->AddParentName("Q", 4);
    ASSERT_TRUE(d->ResolveParents());
    ASSERT_EQ(d->Ancestors().Count(), 2u);
    const auto* first = static_cast<const GSAncestor*>(d->Ancestors().Begin()->value);
    const auto* second = static_cast<const GSAncestor*>(d->Ancestors().Begin()->next->value);
    EXPECT_EQ(first->symbol, p);
    EXPECT_EQ(first->variableOffset, 2);
    EXPECT_EQ(first->functionOffset, 0);
    EXPECT_EQ(second->symbol, q);
    EXPECT_EQ(second->variableOffset, 6);
    EXPECT_EQ(second->functionOffset, 2);
    EXPECT_EQ(d->variableBase, 9);
    EXPECT_EQ(d->functionBase, 3);
    // Slots seen from D: P's header at 2-3, its variables 4-5; Q's header 6-7, q1 at 8.
    EXPECT_EQ(Slot(d, "p1"), 4);
    EXPECT_EQ(Slot(d, "p2"), 5);
    EXPECT_EQ(Slot(d, "q1"), 8);
    EXPECT_EQ(Slot(d, "d1"), 9);
    EXPECT_EQ(Slot(d, "::f()"), 0);
    EXPECT_EQ(Slot(d, "::h()"), 2);
    EXPECT_EQ(Slot(d, "::k()"), 3);
    EXPECT_EQ(Slot(p, "p2"), 3) << "a class without parents has its variables from slot 2";
    EXPECT_EQ(Slot(q, "::h()"), 0);
}

TEST_F(SymbolTableTest, AGrandparentSitsInsideItsChildAtTheSumOfTheOffsets) {
    Class("A", {"a1"});
    GSClassSymbol* b = Class("B", {"b1"});
    GSClassSymbol* c = Class("C", {"c1"});
    b->AddParentName("A", 2);
    c->AddParentName("B", 3);
    ASSERT_TRUE(c->ResolveParents());
    // C: header 0-1, B at 2 (header 2-3, A at 4: header 4-5, a1 6; b1 7), c1 8.
    EXPECT_EQ(Slot(c, "a1"), 6);
    EXPECT_EQ(Slot(c, "b1"), 7);
    EXPECT_EQ(Slot(c, "c1"), 8);
    GSAncestor entry{};
    ASSERT_TRUE(c->FindAncestor("A", entry));
    EXPECT_FALSE(entry.direct);
    EXPECT_EQ(entry.variableOffset, 4);
    ASSERT_TRUE(c->FindAncestor("C", entry));
    EXPECT_EQ(entry.symbol, c);
    EXPECT_FALSE(c->FindAncestor("c", entry)) << "class names are compared byte-wise";
}

TEST_F(SymbolTableTest, ADeepChainFindsTheNearestMemberAndMissesInOnePass) {
    // Sixty levels: a search that went through each parent's own ancestors again would visit
    // 2^60 tables on a miss.
    constexpr int kDepth = 60;
    std::vector<std::string> names;
    for (int i = 0; i < kDepth; ++i) names.push_back("K" + std::to_string(i));
    std::vector<GSClassSymbol*> chain;
    for (int i = 0; i < kDepth; ++i) {
        const bool shadows = i == 0 || i == kDepth / 2;
        chain.push_back(Class(names[i].c_str(), shadows ? std::vector<const char*>{"shared"}
                                                        : std::vector<const char*>{}));
        if (i > 0) chain.back()->AddParentName(names[i - 1].c_str(), i);
    }
    GSClassSymbol* leaf = chain.back();
    ASSERT_TRUE(leaf->ResolveParents());
    EXPECT_EQ(leaf->FindMember("absent", false, false), nullptr);
    GSSymbol* shared = leaf->FindMember("shared", false, false);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->owner, chain[kDepth / 2]) << "the nearest ancestor's member hides the root's";
    EXPECT_EQ(chain[kDepth / 2 - 1]->FindMember("shared", false, false)->owner, chain[0]);
}

TEST_F(SymbolTableTest, ResolveParentsReportsEachFailureInTheDeclaringFileAndKeepsItPending) {
    struct Case {
        const char* classes;  // the parent P's flags, or "none" when P is not declared
        std::vector<const char*> parents;
        const char* message;
    };
    const Case cases[] = {
        {"none", {"P"}, "lib.gs(7) : Class P has not been declared, line 7."},
        {"static", {"P"}, "lib.gs(7) : Cannot extend static class P, line 7."},
        {"final", {"P"}, "lib.gs(7) : Cannot extend final class P, line 7."},
        {"plain", {"P", "P"}, "lib.gs(7) : Class P and P causes cyclic derivation, line 7."},
    };
    for (const Case& c : cases) {
        table.ResetGlobalScope();
        GSDependentSymbol* dependency = table.NewDependency("lib.gs");
        ASSERT_TRUE(table.Add(nullptr, dependency, false));
        table.currentDependency = dependency;
        arena.errorCount = 0;
        const std::string kind = c.classes;
        if (kind != "none")
            Class("P", {}, {}, kind == "static" ? uint32_t{GS_FLAG_STATIC} : kind == "final" ? uint32_t{GS_FLAG_FINAL} : 0u);
        GSClassSymbol* d = Class("D");
        for (const char* parent : c.parents) d->AddParentName(parent, 7);
        EXPECT_FALSE(d->ResolveParents()) << c.message;
        EXPECT_EQ(TakeMessages(log), std::vector<std::string>{c.message});
        EXPECT_EQ(arena.errorCount, 1);
        EXPECT_TRUE(d->HasPendingParents());
        EXPECT_EQ(d->Ancestors().Count(), 0u) << "a failed resolution leaves no partial layout";
        EXPECT_EQ(d->variableBase, 2);
        EXPECT_FALSE(d->ResolveParents()) << "reports again on the next request";
        EXPECT_EQ(TakeMessages(log).size(), 1u);
    }
}

TEST_F(SymbolTableTest, ADiamondIsRefusedNamingTheSecondParentAndTheSharedAncestor) {
    Class("A", {"a1"});
    GSClassSymbol* b = Class("B");
    GSClassSymbol* c = Class("C");
    GSClassSymbol* d = Class("D");
    b->AddParentName("A", 1);
    c->AddParentName("A", 2);
    d->AddParentName("B", 3);
    d->AddParentName("C", 3);
    EXPECT_FALSE(d->ResolveParents());
    EXPECT_EQ(TakeMessages(log), std::vector<std::string>{"lib.gs(3) : Class C and A causes cyclic derivation, line 3."});
}

TEST_F(SymbolTableTest, ACycleAmongPendingClassesIsRefusedOnceAndNeverLoops) {
    GSClassSymbol* a = Class("A");
    GSClassSymbol* b = Class("B");
    a->AddParentName("B", 1);
    b->AddParentName("A", 2);
    EXPECT_FALSE(a->ResolveParents());
    EXPECT_EQ(TakeMessages(log), std::vector<std::string>{"lib.gs(2) : Class A and A causes cyclic derivation, line 2."});
    GSClassSymbol* self = Class("S");
    self->AddParentName("S", 5);
    EXPECT_FALSE(self->ResolveParents());
    EXPECT_EQ(TakeMessages(log), std::vector<std::string>{"lib.gs(5) : Class S and S causes cyclic derivation, line 5."});
}

TEST_F(SymbolTableTest, OwnOverloadsHideTheAncestorsOfTheSameNameAndArityOnly) {
    Class("Base", {}, {"::Foo(int)", "::Foo(int,int)", "::Bar(int)"});
    GSClassSymbol* derived = Class("Derived", {}, {"::Foo(string)"});
    derived->AddParentName("Base", 1);
    ASSERT_TRUE(derived->ResolveParents());
    GSFunctionSymbol* found[8];
    struct Case {
        const char* name;
        int32_t arguments;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"Foo", 1, {"::Foo(string)"}},
        {"Foo", 2, {"::Foo(int,int)"}},
        {"Bar", 1, {"::Bar(int)"}},
        {"Bar", 0, {}},
        {"Fo", 1, {}},
    };
    for (const Case& c : cases) {
        const int32_t count = derived->FindFunctions(c.name, found, 8, c.arguments, true);
        std::vector<std::string> keys;
        for (int32_t i = 0; i < count; ++i) keys.push_back(found[i]->name);
        EXPECT_EQ(keys, c.keys) << c.name << "/" << c.arguments;
    }
    EXPECT_EQ(derived->FindFunctions("Bar", found, 8, 1, false), 0) << "ancestors only with the flag";
}

TEST_F(SymbolTableTest, LocalsHideMembersInnerLocalsHideOuterOnesAndCloseWithTheirBlock) {
    GSClassSymbol* c = Class("C", {"x"});
    GSSymbol* member = table.Find("x", c, false, false);
    ASSERT_TRUE(table.OpenScope());
    GSVariableSymbol* outer = table.NewVariable("x");
    outer->index = 1;
    ASSERT_TRUE(table.Add(c, outer, false));
    EXPECT_TRUE(outer->flags & GS_SYMBOL_LOCAL);
    EXPECT_FALSE(table.Add(c, table.NewVariable("x"), false)) << "same name, same level";
    ASSERT_TRUE(table.OpenScope());
    GSVariableSymbol* inner = table.NewVariable("x");
    ASSERT_TRUE(table.Add(c, inner, false));
    EXPECT_EQ(table.Find("x", c, false, false), inner);
    EXPECT_EQ(table.Find("x", c, false, true), member) << "members only";
    table.CloseScope();
    EXPECT_EQ(table.Find("x", c, false, false), outer);
    int32_t slot = -1;
    EXPECT_TRUE(c->GetSlot(*outer, slot));
    EXPECT_EQ(slot, 1) << "a local answers its index";
    table.CloseScope();
    EXPECT_EQ(table.Find("x", c, false, false), member);
    table.CloseScope();
    EXPECT_EQ(table.Level(), 0);
    EXPECT_EQ(table.Find("C", nullptr, false, false), c) << "closing at level 0 frees nothing";
}

TEST_F(SymbolTableTest, TheSixtyFourthNestedLevelIsRefused) {
    for (int level = 1; level <= 63; ++level) ASSERT_TRUE(table.OpenScope()) << level;
    EXPECT_FALSE(table.OpenScope());
    EXPECT_EQ(table.Level(), 63);
}

TEST_F(SymbolTableTest, ReferenceNumbersFollowTheFirstSuccessfulLookupsAfterAReset) {
    GSClassSymbol* a = Class("A", {}, {"::f()", "::g()"});
    GSClassSymbol* b = Class("B", {}, {"::h()"});
    table.Find("::f()", a, false, true);
    table.ResetReferenceNumbers();
    EXPECT_EQ(a->referenceNumber, -1);
    EXPECT_EQ(table.Find("::f()", a, false, true)->referenceNumber, 0);
    EXPECT_EQ(a->referenceNumber, 0) << "a function numbers its class";
    EXPECT_EQ(table.Find("B", nullptr, false, false), b);
    EXPECT_EQ(b->referenceNumber, 1);
    EXPECT_EQ(table.Find("::h()", b, false, true)->referenceNumber, 1);
    EXPECT_EQ(table.Find("::g()", a, false, true)->referenceNumber, 2);
    EXPECT_EQ(table.Find("::f()", a, false, true)->referenceNumber, 0) << "numbered once";
    EXPECT_EQ(table.Find("nothing", a, true, false), nullptr);
    EXPECT_EQ(table.classReferenceCount, 2);
    EXPECT_EQ(table.functionReferenceCount, 3);
}

TEST_F(SymbolTableTest, DependenciesCompareWithoutCaseAndClassesWithCase) {
    EXPECT_NE(table.FindDependency("LIB.GS"), nullptr);
    EXPECT_FALSE(table.Add(nullptr, table.NewDependency("Lib.Gs"), false)) << "one dependency";
    GSClassSymbol* lower = Class("foo");
    GSClassSymbol* upper = Class("Foo");
    EXPECT_EQ(table.Find("foo", nullptr, false, false), lower);
    EXPECT_EQ(table.Find("Foo", nullptr, false, false), upper);
    EXPECT_EQ(upper->dependency, table.currentDependency);
    EXPECT_FALSE(table.Add(nullptr, upper, false)) << "a symbol with an owner";
}

}  // namespace
