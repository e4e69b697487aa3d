// Damaged sources that still parse: seeded random token swaps of a source that uses most of
// the language, analysed as a top source and as an include. The checks never crash or read
// out of bounds (the sanitizer build runs this too), a walk fails exactly when it counted
// an error, and a passing walk closes every scope it opened.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analyse_support.h"
#include "script_compiler/compile_arena.h"

namespace {

const char kSource[] =
    "class Base { public int a ; public int F ( int x ) { return x + a ; } } ; "
    "static class K { public define string N = \"k\" ; public int S ( ) { return 1 ; } } ; "
    "class Loco isclass Base { define int D = 4 * 2 ; string[] names ; "
    "int F ( int x ) { return inherited ( x ) ; } "
    "int G ( Base b , float f ) { int i = 0 ; for ( i = 0 ; i < D ; ++ i ) { if ( b . a > i ) break ; else continue ; } "
    "switch ( i ) { case 1 : case 2 - 1 : return b . F ( i ) ; default : return F ( i << 2 ) ; } return 0 ; } "
    "void H ( ) { wait ( ) { on \"M\" , \"m\" : break ; } names . copy ( names ) ; names [ 0 ] = K . N + 1 ; "
    "Base c = new Base ( ) ; c = null ; G ( c , 1 ) ; c . isclass ( Loco ) ; names [ 1 , ] . size ( ) ; "
    "{ int j = ( int ) 2.5 ; j = ! j and K . S ( ) ; } } } ;";

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::istringstream in(text);
    for (std::string token; in >> token;) tokens.push_back(token);
    return tokens;
}

std::string Join(const std::vector<std::string>& tokens) {
    std::string text;
    for (const std::string& token : tokens) text += token + " ";
    return text;
}

void CheckAnalysis(const std::string& text, bool include, int round) {
    auto parsed = ParseText(text);
    if (parsed->result != 0) return;
    auto analysed = Analyse(text, include);
    const bool counted = analysed->parsed->arena->errorCount != 0;
    EXPECT_EQ(analysed->passed, !counted) << round << ": " << text;
    if (analysed->passed && !include) {
        EXPECT_EQ(analysed->table.Level(), 0) << round << ": " << text;
    }
}

TEST(HostileSemantic, TokenSwapsAreCheckedWithoutCrashing) {
    const std::vector<std::string> tokens = Tokens(kSource);
    auto clean = Analyse(kSource);
    ASSERT_EQ(clean->messages, std::vector<std::string>{});
    ASSERT_TRUE(clean->passed);
    std::mt19937 random(17);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> mutated = tokens;
        const int edits = 1 + static_cast<int>(random() % 3);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % mutated.size();
            const std::string& other = tokens[random() % tokens.size()];
            switch (random() % 3) {
                case 0: mutated[at] = other; break;
                case 1: mutated.insert(mutated.begin() + static_cast<std::ptrdiff_t>(at), other); break;
                default: mutated.erase(mutated.begin() + static_cast<std::ptrdiff_t>(at));
            }
        }
        CheckAnalysis(Join(mutated), round % 4 == 0, round);
    }
}

}  // namespace
