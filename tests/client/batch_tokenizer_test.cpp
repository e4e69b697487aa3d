// The batch-line tokenizer and the empty-line rule.
#include <gtest/gtest.h>

#include "client/batch_tokenizer.h"

namespace {

using KodrinUtil::IsEmptyBatchLine;
using KodrinUtil::StripBatchLineBreaks;
using KodrinUtil::TokenizeBatchLine;
using Tokens = std::vector<std::string>;

TEST(BatchTokenizer, Tokens) {
    struct { const char* text; Tokens tokens; } cases[] = {
        {"status \"<kuid:1:2>\"", {"status", "<kuid:1:2>"}},
        {"\"status\" \"<kuid:1:2>\"", {"status", "<kuid:1:2>"}},
        {"echo a  b", {"echo", "a", "", "b"}},               // two blanks: an empty argument
        {" echo a", {"echo", "a"}},                           // a leading blank is not doubled
        {"echo \"b c\"", {"echo", "b c"}},                    // blanks inside quotes
        {"echo \"b\"tail next", {"echo", "b", "next"}},       // text after a closing quote
        {"echo pre\"quoted\"", {"echo", "quoted"}},           // a quote restarts the token
        {"echo \"open", {"echo"}},                            // an open quote is dropped
        {"", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(TokenizeBatchLine(c.text), c.tokens) << c.text;
}

// Whether a double quote was left open, so the caller can refuse the line.
TEST(BatchTokenizer, AnOpenQuoteIsReported) {
    struct { const char* text; bool open; } cases[] = {
        {"echo \"open", true},
        {"delete \"<kuid:1:2>", true},
        {"echo \"a\" \"b", true},
        {"echo \"a\" \"b\"", false},
        {"echo a", false},
        {"", false},
    };
    for (const auto& c : cases) {
        bool open = !c.open;
        TokenizeBatchLine(c.text, &open);
        EXPECT_EQ(open, c.open) << c.text;
    }
}

TEST(BatchTokenizer, LineBreaksAndEmptyLines) {
    EXPECT_EQ(StripBatchLineBreaks("version\r\n"), "version");
    EXPECT_EQ(StripBatchLineBreaks("a\nb"), "a");
    EXPECT_EQ(StripBatchLineBreaks("\r\n"), "\r");  // the first character is never examined

    struct { const char* raw; bool empty; } cases[] = {
        {"\r\n", true}, {"\n", true}, {"", true}, {"   \r\n", true},
        {"version\r\n", false}, {"echo  x", false},
    };
    for (const auto& c : cases) {
        std::string text = StripBatchLineBreaks(c.raw);
        EXPECT_EQ(IsEmptyBatchLine(text, TokenizeBatchLine(text)), c.empty) << c.raw;
    }
}

}  // namespace
