// Constant folding: 32-bit two's-complement integers without traps (a zero divisor stays
// for run time, INT_MIN / -1 and INT_MIN % -1 fold to their wrapped results, shift counts
// modulo 32, ">>" arithmetic), floats with unordered comparisons, the logical operators on
// raw values, strings never folded, and "!" of -0.0 true.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "analyse_support.h"

namespace {

struct Fold {
    const char* expression;
    int32_t constantType;  // -1: not folded
    const char* value;     // int or bool as an integer, float as %g
    int32_t valueType;
};

std::string ValueText(const GSCNode& node) {
    if (node.sub == GS_CONST_FLOAT) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(node.value.real));
        return text;
    }
    if (node.sub == GS_CONST_STRING) return node.value.text;
    return std::to_string(node.value.integer);
}

TEST(SemanticFolding, ConstantOperatorsFoldAsTheTextSays) {
    const Fold cases[] = {
        {"7 / 2", GS_CONST_INT, "3", GS_TYPE_INT},
        {"7.0 / 2", GS_CONST_FLOAT, "3.5", GS_TYPE_FLOAT},
        {"-7 / 2", GS_CONST_INT, "-3", GS_TYPE_INT},
        {"-7 % 2", GS_CONST_INT, "-1", GS_TYPE_INT},
        {"7 % -2", GS_CONST_INT, "1", GS_TYPE_INT},
        {"7.5 % 2", GS_CONST_FLOAT, "1.5", GS_TYPE_FLOAT},
        {"2147483647 + 1", GS_CONST_INT, "-2147483648", GS_TYPE_INT},
        {"2147483647 * 2", GS_CONST_INT, "-2", GS_TYPE_INT},
        {"(-2147483647 - 1) / -1", GS_CONST_INT, "-2147483648", GS_TYPE_INT},
        {"(-2147483647 - 1) % -1", GS_CONST_INT, "0", GS_TYPE_INT},
        {"-(-2147483647 - 1)", GS_CONST_INT, "-2147483648", GS_TYPE_INT},
        {"5 / 0", -1, "", GS_TYPE_INT},
        {"5 % 0", -1, "", GS_TYPE_INT},
        {"1 << 33", GS_CONST_INT, "2", GS_TYPE_INT},
        {"1 << 31", GS_CONST_INT, "-2147483648", GS_TYPE_INT},
        {"-8 >> 1", GS_CONST_INT, "-4", GS_TYPE_INT},
        {"-1 >> 60", GS_CONST_INT, "-1", GS_TYPE_INT},
        {"6 & 3", GS_CONST_INT, "2", GS_TYPE_INT},
        {"6 ^ 3", GS_CONST_INT, "5", GS_TYPE_INT},
        {"6 | 3", GS_CONST_INT, "7", GS_TYPE_INT},
        {"~0", GS_CONST_INT, "-1", GS_TYPE_INT},
        {"+3", GS_CONST_INT, "3", GS_TYPE_INT},
        {"-2.5", GS_CONST_FLOAT, "-2.5", GS_TYPE_FLOAT},
        {"-1 < 2", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"2 <= 1.5", GS_CONST_BOOL, "0", GS_TYPE_BOOL},
        {"true == 1", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"(0.0 / 0.0) == (0.0 / 0.0)", GS_CONST_BOOL, "0", GS_TYPE_BOOL},
        {"(0.0 / 0.0) != (0.0 / 0.0)", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"(0.0 / 0.0) < 1", GS_CONST_BOOL, "0", GS_TYPE_BOOL},
        {"true and false", GS_CONST_BOOL, "0", GS_TYPE_BOOL},
        {"0.5 and 1", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"0 or 0.0", GS_CONST_BOOL, "0", GS_TYPE_BOOL},
        {"-0.0 or 0", GS_CONST_BOOL, "1", GS_TYPE_BOOL},  // raw bits of -0.0 are not zero
        {"!0", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"!false", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"!-0.0", GS_CONST_BOOL, "1", GS_TYPE_BOOL},
        {"!1.5", GS_CONST_BOOL, "0", GS_TYPE_BOOL},
        {"\"a\" + 1", -1, "", GS_TYPE_STRING},
        {"\"a\" == \"a\"", -1, "", GS_TYPE_BOOL},
        {"1 + 2 * 3 - 4", GS_CONST_INT, "3", GS_TYPE_INT},
    };
    for (const Fold& c : cases) {
        auto analysed = Analyse(std::string("class A { void f() { ") + c.expression + "; } };");
        ASSERT_TRUE(analysed->passed) << c.expression;
        const GSCNode* node = FirstStatement(Member(analysed->Root(), 0));
        EXPECT_EQ(node->valueType, c.valueType) << c.expression;
        if (c.constantType < 0) {
            EXPECT_EQ(node->kind, GS_EXPR_OPERATOR) << c.expression;
            continue;
        }
        ASSERT_EQ(node->kind, GS_EXPR_CONSTANT) << c.expression;
        EXPECT_EQ(node->sub, c.constantType) << c.expression;
        EXPECT_EQ(node->child[0], nullptr) << c.expression;
        EXPECT_EQ(ValueText(*node), c.value) << c.expression;
    }
}

TEST(SemanticFolding, CaseLabelsAcceptFoldedConstants) {
    auto analysed = Analyse("class A { void f(int x) { switch (x) { case 1 + 2: break; case -1: break; default: break; } } };");
    EXPECT_TRUE(analysed->passed);
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
    const GSCNode* body = FirstStatement(Member(analysed->Root(), 0))->child[1]->child[0];
    ASSERT_EQ(body->kind, GS_STMT_CASE);
    EXPECT_EQ(body->child[0]->value.integer, 3);
}

TEST(SemanticFolding, DefineMembersBecomeConstantsWhereverTheyAreRead) {
    auto analysed = Analyse(
        "class N { public define int Value = 2 * 21; public define string Name = \"n\"; public define string Odd = 5; "
        "public define float Half = 0.5; };"
        "class A { void f() { N.Value; N.Name; N.Odd; N.Half; } };");
    EXPECT_EQ(analysed->messages, std::vector<std::string>{});
    GSCNode* read = FirstStatement(Member(ClassNode(analysed->Root(), "A"), 0));
    ASSERT_EQ(read->kind, GS_EXPR_CONSTANT) << "a public define read through a non-static class";
    EXPECT_EQ(read->value.integer, 42);
    EXPECT_STREQ(Nth(read, 1)->value.text, "n");
    EXPECT_STREQ(Nth(read, 2)->value.text, "") << "a non-string constant in a string define is empty";
    EXPECT_EQ(Nth(read, 3)->value.real, 0.5f);
}

}  // namespace
