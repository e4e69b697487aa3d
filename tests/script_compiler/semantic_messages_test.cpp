// Every message of the semantic checks once, each from a small source: the text exactly as
// the log shows it, "<file>(<line>) : <text>", the text ending with the line again (several
// texts lack the final period).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analyse_support.h"

namespace {

// Classes the bodies use (line 1); the body under test is on line 3, in A::f.
const std::string kPrelude =
    "static class S { public define int K = 4; }; class B { public int x; int p; void g() {} "
    "public int h(int a) { return a; } }; class C {};\n";

std::string InBody(const std::string& body) { return kPrelude + "class A {\nvoid f() { " + body + " }\n};"; }

struct Case {
    std::string source;
    std::vector<std::string> messages;  // without the "test.gs(n) : " prefix
    int line;
};

Case Body(const std::string& body, std::vector<std::string> messages) { return {InBody(body), std::move(messages), 3}; }
Case Whole(const std::string& source, std::vector<std::string> messages) { return {source, std::move(messages), 1}; }

void ExpectMessages(const Case& c) {
    auto analysed = Analyse(c.source);
    std::vector<std::string> expected;
    for (const std::string& text : c.messages) expected.push_back("test.gs(" + std::to_string(c.line) + ") : " + text);
    EXPECT_EQ(analysed->messages, expected) << c.source;
    EXPECT_FALSE(analysed->passed) << c.source;
    EXPECT_EQ(analysed->parsed->arena->errorCount, static_cast<int32_t>(expected.size())) << c.source;
}

TEST(SemanticMessages, ThePreludeAndACleanBodyPass) {
    auto analysed = Analyse(InBody("B b; b.x = b.h(2) + S.K; C c; object o = c;"));
    EXPECT_TRUE(analysed->passed);
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
}

// A static class is still the current class: "me" is its one instance.
TEST(SemanticMessages, MeInAStaticClassIsAnObjectOfThatClass) {
    auto analysed = Analyse("static class A { int n; int f() { A a = me; return me.n + a.n; } };");
    EXPECT_TRUE(analysed->passed);
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
}

TEST(SemanticMessages, DeclarationsAndClasses) {
    const Case cases[] = {
        Whole("class A isclass Missing {};", {"Class Missing has not been declared, line 1."}),
        Whole("static class P {}; class A isclass P {};", {"Cannot extend static class P, line 1."}),
        Whole("final class P {}; class A isclass P {};", {"Cannot extend final class P, line 1."}),
        Whole("class A {}; class B isclass A {}; class C isclass A {}; class D isclass B, C {};",
              {"Class C and A causes cyclic derivation, line 1."}),
        Whole("public class A {};", {"Class has illegal declaration specifiers, line 1."}),
        Whole("class A {}; class A {};", {"Class A has already been declared, line 1."}),
        Whole("class A { static void f(); };", {"Function has illegal declaration specifiers, line 1."}),
        Whole("class A { native thread void f(); };", {"Function has illegal declaration specifiers, line 1."}),
        Whole("class A { Missing f(); };", {"object<Missing> not declared, line 1."}),
        Whole("class A { final void f() {} }; class B isclass A { void f() {} };",
              {"Cannot override final function, line 1."}),
        Whole("class A { void f() {} void f() {} };", {"Function ::f() already declared, line 1."}),
        Whole("class A { void f(); int f() { return 1; } };", {"Function differs only by return type, line 1."}),
        Whole("class A { void f(); public void f() {} };", {"Function specifiers differ from prototype, line 1."}),
        Whole("class A { thread int f() { return 1; } };", {"thread function must return void, line 1."}),
        Whole("class A { void f(int a, int a) {} };", {"Variable a already declared in this scope, line 1."}),
        Whole("class A { final int x; };", {"member declaration has invalid specifiers, line 1."}),
        Whole("class A { int x; int x; };", {"Variable x already declared in this scope, line 1."}),
        Whole("class A { int y; define int x = y; };", {"define variable must have a const assignment, line 1."}),
        Whole("class A { define int x; };", {"define variable must have a const assignment, line 1."}),
        Whole("class B {}; class A { void f() { Nope n; B b = n; } };",
              {"object<Nope> not declared, line 1.", "class Nope not defined, line 1."}),
    };
    for (const Case& c : cases) ExpectMessages(c);
}

TEST(SemanticMessages, ALocalVariableListWithSpecifiersIsRefused) {
    // The grammar gives local lists no specifiers; a tree that has them is still refused.
    auto analysed = Analyse("class A { void f() { int x; } };", false, [](GSCNode* root) {
        FirstStatement(Member(root, 0))->flags |= GS_FLAG_PUBLIC;
    });
    EXPECT_EQ(analysed->messages,
              std::vector<std::string>{"test.gs(1) : variable declaration has illegal specifiers, line 1."});
}

TEST(SemanticMessages, NamesAndOperators) {
    const Case cases[] = {
        Body("y;", {"variable y not declared, line 3."}),
        Body("B;", {"class B is not static, line 3."}),
        Body("bool b; -b;", {"illegal types for unary operand -, line 3"}),
        Body("1++;", {"expression not an l-value for ++ operator, line 3"}),
        Body("true * 2;", {"illegal types for operand *, line 3"}),
        Body("int i; i.x;", {". operator cannot be used on a non-reference type, line 3."}),
        Body("object o; o.x;", {"unknown object class for '.' operator, line 3."}),
        Body("B b; b.p;", {"member p not public in object B, line 3."}),
        Body("B.x;", {"B is not a static class or variable within this class, line 3."}),
        Body("B b; b.y;", {"member y does not exist in object B, line 3."}),
        Body("int i; i[0,1];", {"int not an array type for [,] operator, line 3"}),
        Body("string s; s[1.0,2];", {"left index not integral for [,] operator, line 3"}),
        Body("string s; s[1,2.0];", {"right index not integral for [,] operator, line 3"}),
        Body("B b; b[0];", {"B not an array type for [] operator, line 3"}),
        Body("string s; s[true];", {"index not integral for [] operator, line 3"}),
        Body("string s; (int) s;", {"cannot cast from string to int, line 3."}),
        Body("1 = 2;", {"illegal l-value for assignment, line 3."}),
        Body("int i; i.size();", {".size operator requires an array type, line 3."}),
        Body("int i; i.isclass(B);", {".isclass operator requires an object type, line 3."}),
        Body("object o; o.isclass(Nope);", {"class Nope not declared for .isclass operator, line 3."}),
        Body("int i; int[] a; i.copy(a);", {".copy operator requires an array type, line 3."}),
        Body("int[] a; int i; a.copy(i);", {".copy expression must be an array type, line 3."}),
        Body("int[] a; float[] b; a.copy(b);", {"left and right types incompatible for .copy operator, line 3."}),
        Body("new object();", {"cannot new unnamed object, line 3."}),
        Body("new int[1.5];", {"non-integral expression for new[], line 3."}),
        Body("new B(1);", {"constructors not yet supported, line 3."}),
        Body("new Nope();", {"cannot find class Nope in this translation unit, line 3."}),
        Body("new S();", {"cannot new static or game class, line 3."}),
        Body("new int();", {"cannot new type int, line 3."}),
        Body("B b; C c; b = c;", {"cannot cast from object<C> to object<B>, line 3."}),
        Body("int i; string s; i = s;", {"cannot cast from string to int, line 3."}),
    };
    for (const Case& c : cases) ExpectMessages(c);
}

TEST(SemanticMessages, Calls) {
    const Case cases[] = {
        Body("B b; b.nothing();", {"function nothing not declared in class B or derivative, line 3."}),
        Body("nothing();", {"function nothing not declared, line 3."}),
        Body("1(2);", {"Internal compiler error."}),
        Body("B b; b.g();", {"function g not public in object B, line 3."}),
        Body("B b; b.inherited();", {"'inherited' can only be used on current function, line 3."}),
        Whole("class P { void f(int a) {} }; class Q { void f(int a) {} }; class D isclass P, Q { void g() { f(1); } };",
              {"function call f is ambiguous, line 1."}),
        Whole("class A { int x = inherited(); };",
              {"internal compiler error while parsing 'inherited', line 1.", "cannot cast from  to int, line 1."}),
        Whole("class A { thread void t() { inherited(); } };",
              {"'inherited' can not be used on native or thread function, line 1."}),
        Whole("class A { void f(int a) { inherited(\"x\"); } };", {"Error in expression, line 1."}),
    };
    for (const Case& c : cases) ExpectMessages(c);
}

TEST(SemanticMessages, Statements) {
    const Case cases[] = {
        Body("return 1;", {"return type mismatch, expecting void, line 3."}),
        Whole("class A { int f() { return; } };", {"return type mismatch, expecting int, line 1."}),
        Whole("class A { int f() { return 1.5; } };", {"return type mismatch, expecting int, line 1."}),
        Whole("class B {}; class C {}; class A { B f() { C c; return c; } };",
              {"cannot cast from object<C> to object<B>, line 1."}),
        Whole("class A { int f() { } };", {"expecting return type of int, line 1."}),
        Whole("class A { int f(bool b) { if (b) return 1; else return 2; } };", {"expecting return type of int, line 1."}),
        Body("break;", {"illegal break, line 3."}),
        Body("continue;", {"illegal continue, line 3."}),
        Body("switch (1) { case 1: continue; default: break; }", {"illegal continue, line 3."}),
        Body("if (f()) ;", {"invalid if expression, line 3."}),
        Body("while (f()) ;", {"invalid while expression, line 3."}),
        Body("for (; f(); ) ;", {"invalid for expression, line 3."}),
        Body("switch (1) { default: break; }", {"switch statement without case, line 3."}),
        Body("switch (1) { }", {"switch statement without case, line 3.", "switch statement without default, line 3."}),
        Body("switch (1) { case 1: break; }", {"switch statement without default, line 3."}),
        Body("switch (1.5) { case 1: break; default: break; }", {"switch expression not integral, line 3."}),
        Body("default: return;", {"illegal default, line 3."}),
        Body("switch (1) { case 1: break; default: break; default: break; }", {"switch already has default, line 3."}),
        Body("case 1: return;", {"illegal case, line 3."}),
        Body("int x; switch (x) { case x: break; default: break; }", {"case expression not constant or integral, line 3."}),
        Body("wait() { }", {"wait statement must have at least 1 on statement, line 3."}),
        Body("wait() { on 1, \"b\": break; }",
             {"on statement requires string constant for major and minor message types, line 3"}),
        Body("int i; wait() { on \"a\", \"b\", i: break; }", {"on statement requires object type for third parameter, line 3"}),
    };
    for (const Case& c : cases) ExpectMessages(c);
}

}  // namespace
