// The category matcher: terms against lists (ends of tokens, the list's end at '|', '-'
// inversion, null lists, byte-exact comparison) and patterns (alternatives, empty
// alternatives, a trailing '|').
#include "foundation/text/category_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TokenCase {
    const char* list;
    const char* term;
    bool holds;
};

TEST(CategoryPattern, TermsAgainstLists) {
    const TokenCase cases[] = {
        {"TR;TV;LOCO", "TV", true},
        {"TR;TV;LOCO", "LOCO", true},
        // The term ends at its ';' or '|'.
        {"TR;CMP;BOGY", "TR;TV", true},
        {"TR;CMP;BOGY", "BOGY|TO", true},
        // Whole elements only: no prefix, no longer or shorter element.
        {"TRX;T", "TR", false},
        {"TR", "TRX", false},
        // The list ends at its first '|'.
        {"TO;?WA|TR", "TR", false},
        {"|TR", "TR", false},
        // Empty elements are skipped.
        {";;TR;;", "TR", true},
        // Byte for byte: case matters, blanks stay, '?' and '#' are plain characters.
        {"tr", "TR", false},
        {" TR", "TR", false},
        {"TO;?WA", "?WA", true},
        {"TO;WA", "?WA", false},
        {"#X", "#X", true},
        {"X", "#X", false},
        // Empty terms are in no list; each '-' inverts once.
        {"TR", "", false},
        {"TR", ";TR", false},
        {"TR", "|TR", false},
        {"TR", "-TR", false},
        {"TR", "--TR", true},
        {"TR", "---TR", false},
        {"TV", "-TR", true},
        {"TR", "-;TR", true},
        {"", "-", true},
        {"", "TR", false},
    };
    for (const TokenCase& c : cases) {
        EXPECT_EQ(MatchCategoryToken(c.list, c.term), c.holds)
            << "list \"" << c.list << "\" term \"" << c.term << "\"";
    }
}

TEST(CategoryPattern, NullListHoldsOnlyInvertedTerms) {
    EXPECT_FALSE(MatchCategoryToken(nullptr, "TO"));
    EXPECT_TRUE(MatchCategoryToken(nullptr, "-TO"));
    EXPECT_TRUE(MatchCategoryPattern("-TO", nullptr));
    EXPECT_FALSE(MatchCategoryPattern("TO", nullptr));
    EXPECT_TRUE(MatchCategoryPattern(nullptr, nullptr));
    EXPECT_TRUE(MatchCategoryPattern("", nullptr));
}

TEST(CategoryPattern, ALongRunOfInversionsCostsNoStack) {
    const std::string term = std::string(1000001, '-') + "TR";
    EXPECT_TRUE(MatchCategoryToken("TV", term.c_str()));
    EXPECT_FALSE(MatchCategoryToken("TR", term.c_str()));
}

struct PatternCase {
    const char* pattern;
    const char* list;
    bool holds;
};

TEST(CategoryPattern, PatternsAgainstLists) {
    const PatternCase cases[] = {
        {"TR;TV", "TR;TV;LOCO", true},
        {"TR;TV", "TR;CMP;BOGY", false},
        {"TO", "TO;?WA", true},
        {"-TO", "TR;TV", true},
        {"-TO", "TO;?WA", false},
        {"TR;TV|TO", "TO;?WA", true},
        {"TR;TV|TO", "TR;TV;ROLL", true},
        {"TR;TV|TO", "TR;CMP;BOGY", false},
        {"", "TR", true},
        // The searches the help shows: a list, alternatives, an inverted term.
        {"BR|XC", "XC", true},
        {"BR|XC", "BR", true},
        {"BR|XC", "BD", false},
        {"XC;-XC", "XC", false},
        {"CMP;MESH|BD;-ACTV|VE|SCEN", "BD;IND;ACTV", false},
        {"CMP;MESH|BD;-ACTV|VE|SCEN", "BD;RES", true},
        {"CMP;MESH|BD;-ACTV|VE|SCEN", "CMP;TX", false},
        // Runs of ';' between terms are skipped; an alternative without terms holds.
        {";;TR;;;TV;", "TV;TR", true},
        {";;", "BD", true},
        {"|XC", "BD", true},
        {"XC||BR", "BD", true},
        {"XC|;|BR", "BD", true},
        // A trailing '|' opens no alternative.
        {"XC|", "BD", false},
        {"XC|BR|", "BR", true},
        {"|", "BD", true},
    };
    for (const PatternCase& c : cases) {
        EXPECT_EQ(MatchCategoryPattern(c.pattern, c.list), c.holds)
            << "pattern \"" << c.pattern << "\" list \"" << c.list << "\"";
    }
}

TEST(CategoryPattern, TokenEndStopsAtEitherSeparatorOrTheEnd) {
    const char* text = "AB;C";
    EXPECT_EQ(CategoryTokenEnd(text), text + 2);
    text = "AB|C";
    EXPECT_EQ(CategoryTokenEnd(text), text + 2);
    text = "ABC";
    EXPECT_EQ(CategoryTokenEnd(text), text + 3);
}

}  // namespace
