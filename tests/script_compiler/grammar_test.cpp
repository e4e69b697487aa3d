// The grammar: the tree each rule builds, as a table of snippets and their tree text
// (parse_support.h), then the dangling else, node lines, parse errors and the parser's
// stack growth and overflow.
#include <gtest/gtest.h>

#include <string>

#include "parse_support.h"

namespace {

enum Wrap { kProgram, kMember, kStatement };

struct TreeCase {
    Wrap wrap;
    const char* source;
    const char* tree;
};

// The part of the tree the snippet made: the whole program, the members of class C, or the
// statements of C's function f.
std::string TreeOf(Wrap wrap, const char* source, std::string& error) {
    std::string text = source;
    if (wrap == kMember) text = "class C { " + text + " };";
    if (wrap == kStatement) text = "class C { void f() { " + text + " } };";
    const auto parsed = ParseText(text);
    if (parsed->result != 0) {
        error = parsed->messages.empty() ? "failed" : parsed->messages[0];
        return "";
    }
    const GSCNode* root = parsed->Root();
    if (wrap == kMember) return DumpChain(root->child[2]);
    if (wrap == kStatement) return DumpChain(root->child[2]->child[3]->child[0]);
    return DumpChain(root);
}

const TreeCase kTrees[] = {
    // Programs, includes and classes.
    {kProgram, "class A {};", "class(name:A)"},
    {kProgram, "include \"Lib\\\\Base.GS\" include \"x.gs\" class A {}; class B {};",
     "[include(name:lib\\\\base.gs); include(name:x.gs); class(name:A); class(name:B)]"},
    {kProgram, "class A isclass B, C {};", "class(name:A, [name:B; name:C])"},
    {kProgram, "public game class A isclass B { int x; };",
     "class{public,game}(name:A, name:B, vars{member}(type:int, declarator(name:x)))"},
    {kProgram, "static class A { };", "class{static}(name:A)"},
    {kProgram, "final secured class A isclass B {};", "class{final,secured}(name:A, name:B)"},
    // Members.
    {kMember, "int a = 1, b;",
     "vars{member}(type:int, [declarator(name:a, 1); declarator(name:b)])"},
    {kMember, "public define int K = 2 + 3;",
     "vars{public,define,member}(type:int, declarator(name:K, op:+(2, 3)))"},
    {kMember, "Foo f; Bar[] g; string[] s;",
     "[vars{member}(type:object(name:Foo), declarator(name:f)); "
     "vars{member}(type:object[](name:Bar), declarator(name:g)); "
     "vars{member}(type:string[], declarator(name:s))]"},
    {kMember, "void f();", "prototype(type:void, name:f)"},
    {kMember, "void f(void);", "prototype(type:void, name:f)"},
    {kMember, "native int f(int a, Foo[] b);",
     "prototype{native}(type:int, name:f, [param(type:int, name:a); "
     "param(type:object[](name:Foo), name:b)])"},
    {kMember, "public thread void g() {}",
     "function{public,thread}(type:void, name:g, -, block{body})"},
    {kMember, "float h(float x) { return x; }",
     "function(type:float, name:h, param(type:float, name:x), "
     "block{body}(return(id:x)))"},
    {kMember, "bool[] k(void) { }", "function(type:bool[], name:k, -, block{body})"},
    // Statements.
    {kStatement, "int a = 1, b; Foo c;",
     "[vars(type:int, [declarator(name:a, 1); declarator(name:b)]); "
     "vars(type:object(name:Foo), declarator(name:c))]"},
    {kStatement, ";;", "-"},
    {kStatement, "a; ; b;", "[id:a{d}; id:b{d}]"},
    {kStatement, "a, b, c;", "[id:a{d}; id:b{d}; id:c{d}]"},
    {kStatement, "{ } { a; }", "[block; block(id:a{d})]"},
    {kStatement, "return; return a, b;", "[return; return([id:a{d}; id:b])]"},
    {kStatement, "break; continue; goto L;", "[break; continue; goto(name:L)]"},
    {kStatement, "L: a; b;", "[label(name:L); id:a{d}; id:b{d}]"},
    {kStatement, "L: ;", "label(name:L)"},
    {kStatement, "case 1: case 2: s; default: t;",
     "[case(1); case(2); id:s{d}; default; id:t{d}]"},
    {kStatement, "switch (x) { case K: break; }", "switch(id:x, block([case(id:K); break]))"},
    {kStatement, "if (a) b; else c;", "if(id:a, id:b{d}, id:c{d})"},
    {kStatement, "if (a, b, c) d;", "if([id:a{d}; id:b{d}; id:c], id:d{d})"},
    {kStatement, "while (a) { }", "while(id:a, block)"},
    {kStatement, "for (;;) ;", "for"},
    {kStatement, "for (i = 0; i < n; ++i, j--) s;",
     "for(op:={d}(id:i, 0), op:<(id:i, id:n), id:s{d}, "
     "[op:pre++{d}(id:i); op:post--{d}(id:j)])"},
    {kStatement, "for (a, b; c, d;) x;",
     "for([id:a{d}; id:b{d}], [id:c{d}; id:d], id:x{d})"},
    {kStatement, "wait() { on \"A\", \"B\": a; on \"C\", \"\", m: break; }",
     "wait(block([on(\"A\", \"B\"); id:a{d}; on(\"C\", \"\", id:m); break]))"},
    // Expressions: one level after another, loosest first.
    {kStatement, "a = b = c;", "op:={d}(id:a, op:=(id:b, id:c))"},
    {kStatement, "a - b - c;", "op:-{d}(op:-(id:a, id:b), id:c)"},
    {kStatement, "a or b and c | d ^ e & f == g < h << i + j * k;",
     "op:or{d}(id:a, op:and(id:b, op:|(id:c, op:^(id:d, op:&(id:e, op:==(id:f, "
     "op:<(id:g, op:<<(id:h, op:+(id:i, op:*(id:j, id:k))))))))))"},
    {kStatement, "a != b; a > b; a <= b; a >= b; a >> b; a / b; a % b;",
     "[op:!={d}(id:a, id:b); op:>{d}(id:a, id:b); op:<={d}(id:a, id:b); "
     "op:>={d}(id:a, id:b); op:>>{d}(id:a, id:b); op:/{d}(id:a, id:b); "
     "op:%{d}(id:a, id:b)]"},
    {kStatement, "-a * +b; !a; ~a; --a; ++ - a;",
     "[op:*{d}(op:unary-(id:a), op:unary+(id:b)); op:!{d}(id:a); op:~{d}(id:a); "
     "op:pre--{d}(id:a); op:pre++{d}(op:unary-(id:a))]"},
    {kStatement, "(int) x; (string[]) y; cast<Foo> z; cast<Foo[]> w; (x);",
     "[op:(){d}(id:x, type:int); op:(){d}(id:y, type:string[]); "
     "op:(){d}(id:z, type:object(name:Foo)); op:(){d}(id:w, type:object[](name:Foo)); "
     "id:x{d}]"},
    {kStatement, "(float) -x * y;", "op:*{d}(op:()(op:unary-(id:x), type:float), id:y)"},
    {kStatement, "a[1]; a[1, 2]; a[, 2]; a[1, ];",
     "[op:[]{d}(id:a, 1); op:[,]{d}(id:a, 1, 2); op:[,]{d}(id:a, -, 2); "
     "op:[,]{d}(id:a, 1)]"},
    {kStatement, "f(); o.g(1, x = 2); f()(3);",
     "[call{d}(id:f); call{d}(op:.(id:o, member:g), [1; op:=(id:x, 2)]); "
     "call{d}(call(id:f), 3)]"},
    {kStatement, "x.size(); x.isclass(Name); x.copy(y); x.y.z++;",
     "[op:size{d}(id:x); op:isclass{d}(id:x, name:Name); op:copy{d}(id:x, id:y); "
     "op:post++{d}(op:.(op:.(id:x, member:y), member:z))]"},
    {kStatement, "me; null; me.f();",
     "[me{d}; null{d}; call{d}(op:.(me, member:f))]"},
    {kStatement, "new int(); new Foo(1, 2); new int[n]; new Foo[3]; new string(s);",
     "[op:new{d}(type:int); op:new{d}(type:object(name:Foo), -, [1; 2]); "
     "op:new{d}(type:int[], id:n); op:new{d}(type:object[](name:Foo), 3); "
     "op:new{d}(type:string, -, id:s)]"},
    {kStatement, "0x10; 'a'; 1.5f; \"a\\tb\"; true; false; L\"w\";",
     "[16{d}; 97{d}; 1.5f{d}; \"a\\x09b\"{d}; true{d}; false{d}; \"w\"{d}]"},
    // A parenthesised list is one operand or argument; a single element stays itself.
    {kStatement, "x = (a, b);", "op:={d}(id:x, seq([id:a{d}; id:b]))"},
    {kStatement, "h((1, 2), 3); (a);", "[call{d}(id:h, [seq([1{d}; 2]); 3]); id:a{d}]"},
    {kStatement, "(a, (b, c));", "seq{d}([id:a{d}; seq([id:b{d}; id:c])])"},
};

TEST(GSGrammar, EachRuleBuildsItsTree) {
    for (const TreeCase& c : kTrees) {
        std::string error;
        EXPECT_EQ(TreeOf(c.wrap, c.source, error), c.tree) << c.source << "\n" << error;
    }
}

TEST(GSGrammar, ElseBelongsToTheNearestIf) {
    std::string error;
    EXPECT_EQ(TreeOf(kStatement, "if (a) if (b) s1; else s2;", error),
              "if(id:a, if(id:b, id:s1{d}, id:s2{d}))");
    EXPECT_EQ(TreeOf(kStatement, "if (a) { if (b) s1; } else s2;", error),
              "if(id:a, block(if(id:b, id:s1{d})), id:s2{d})");
}

TEST(GSGrammar, SourcesOutsideTheGrammarAreParseErrors) {
    const char* const sources[] = {
        "",                                          // no class
        "include \"a.gs\"",                          // includes but no class
        "class A {}",                                // no ";"
        "class A { void f() { (Foo) x; } };",        // class casts are cast<Foo>
        "class A { void f() { x.size; } };",         // size is a word, not a member
        "class A { void f() { a # b; } };",          // stray character
        "class A { void f() { 'a''; } };",
        "class A { int f() { int a = 1 } };",
        "class A {}; include \"a.gs\"",              // includes come first
        "class A { int x = y = 2; };",               // a declarator takes no assignment
        "class A { class B {}; };",
    };
    for (const char* source : sources) {
        const auto parsed = ParseText(source);
        EXPECT_EQ(parsed->result, 1) << source;
        EXPECT_EQ(parsed->arena->errorCount, 1) << source;
    }
}

TEST(GSGrammar, AParseErrorNamesTheFileAndTheLineOfTheToken) {
    const auto parsed = ParseText("class A {\n  void f() {\n    a + ;\n  }\n};\n");
    EXPECT_EQ(parsed->result, 1);
    EXPECT_EQ(parsed->messages,
              std::vector<std::string>{"test.gs(3) : parse error, line 3"});
    const auto atEnd = ParseText("class A {}\n\n");
    EXPECT_EQ(atEnd->messages, std::vector<std::string>{"test.gs(3) : parse error, line 3"});
}

TEST(GSGrammar, NodesTakeTheScannersLineWhenTheyAreBuilt) {
    const auto parsed = ParseText(
        "class A\n"                 // 1
        "{\n"                       // 2
        "  int f(int x)\n"          // 3
        "  {\n"                     // 4
        "    return x\n"            // 5
        "      + 1\n"               // 6
        "      ;\n"                 // 7
        "  }\n"                     // 8
        "};\n");                    // 9
    ASSERT_EQ(parsed->result, 0);
    const GSCNode* cls = parsed->Root();
    const GSCNode* function = cls->child[2];
    const GSCNode* ret = function->child[3]->child[0];
    const GSCNode* plus = ret->child[0];
    EXPECT_EQ(cls->child[0]->line, 1);       // the name, reduced without a lookahead
    EXPECT_EQ(function->child[2]->line, 3);  // the parameter, built on reading ")"
    EXPECT_EQ(plus->child[0]->line, 5);      // x
    EXPECT_EQ(plus->child[1]->line, 6);      // 1, reduced without a lookahead
    EXPECT_EQ(plus->line, 7);                // built when ";" was read
    EXPECT_EQ(ret->line, 7);
    EXPECT_EQ(function->child[3]->line, 8);  // the block, on its "}"
    EXPECT_EQ(function->line, 8);
    EXPECT_EQ(cls->line, 9);
}

std::string Nested(int depth) {
    return "class A { int f() { return " + std::string(depth, '(') + "1" +
           std::string(depth, ')') + "; } };";
}

TEST(GSGrammar, TheParserStackGrowsFrom200To10000Entries) {
    const auto deep = ParseText(Nested(600));
    EXPECT_EQ(deep->result, 0);
    EXPECT_TRUE(deep->messages.empty());

    const auto tooDeep = ParseText(Nested(12000));
    EXPECT_EQ(tooDeep->result, 1);
    EXPECT_EQ(tooDeep->arena->errorCount, 2);
    EXPECT_EQ(tooDeep->messages,
              std::vector<std::string>{"test.gs(1) : parser stack overflow, line 1"});
}

}  // namespace
