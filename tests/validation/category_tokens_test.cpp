// Copying, appending and the '#'-token builder of category token lists.
#include "validation/darodi/category_tokens.h"

#include <gtest/gtest.h>

namespace {

using namespace DAROdi;

TEST(CategoryTokens, CopyTakesTheFirstToken) {
    EXPECT_EQ(CopyCategoryToken("TR;TV"), "TR");
    EXPECT_EQ(CopyCategoryToken("TO|TR"), "TO");
    EXPECT_EQ(CopyCategoryToken("-BD"), "-BD");
    EXPECT_EQ(CopyCategoryToken(";TR"), "");
    EXPECT_EQ(CopyCategoryToken(nullptr), "");
}

TEST(CategoryTokens, AppendSeparatesWithOneSemicolon) {
    Kiv::String list;
    AppendCategoryToken("TR;TV", list);
    EXPECT_EQ(list, "TR");
    AppendCategoryToken("TV|X", list);
    EXPECT_EQ(list, "TR;TV");
    for (const char* empty : {"", ";X", "|X"}) AppendCategoryToken(empty, list);
    EXPECT_EQ(list, "TR;TV");
}

struct BuildCase {
    const char* base;
    const char* added;
    const char* result;
};

TEST(CategoryTokens, BuildAddsEachHashTokenOnce) {
    const BuildCase cases[] = {
        {"", "", ""},
        {"", "X", "#X"},
        {nullptr, nullptr, ""},
        {"TR;TV", nullptr, "TR;TV"},
        {"TR;TV", "LOCO;X", "TR;TV;#LOCO;#X"},
        // Twice in the added list, or already in the base with its '#': once.
        {"TR", "X;X", "TR;#X"},
        {"#X;TR", "X;Y", "#X;TR;#Y"},
        // Without its '#' the base element is another token.
        {"X", "X", "X;#X"},
        // Runs of ';' between tokens are one separator; at the start one lone '#'.
        {"TR", "A;;;B;", "TR;#A;#B"},
        {"TR", ";;A", "TR;#;#A"},
        // A '|' in the added list separates tokens as ';' does.
        {"TR", "A|B", "TR;#A;#B"},
        {"TR", "A||;|B|", "TR;#A;#B"},
        {"", "|", "#"},
    };
    for (const BuildCase& c : cases) {
        EXPECT_EQ(BuildCategoryTokenList(c.base, c.added), c.result)
            << (c.base ? c.base : "(null)") << " + " << (c.added ? c.added : "(null)");
    }
}

}  // namespace
