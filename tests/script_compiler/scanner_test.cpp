// The scanner alone: every token code and one-character symbol, the literal forms and their
// edges, comments, line counting, tokens longer than the scanner's buffer, and flex's fatal
// errors raised as GSScannerError instead of ending the process.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "script_compiler/gs_scanner.h"

namespace {

struct Token {
    int code;
    std::string text;
    int line;  // the scanner's line after the token
    bool operator==(const Token&) const = default;
};

std::vector<Token> Scan(const std::string& source) {
    std::istringstream input(source);
    GSScanner scanner;
    yy_buffer_state* buffer = scanner.yy_create_buffer(&input, GSScanner::kBufferBytes);
    scanner.yy_switch_to_buffer(buffer);
    std::vector<Token> tokens;
    while (int code = scanner.yylex()) tokens.push_back({code, scanner.YYText(), scanner.lineno()});
    scanner.yy_delete_buffer(buffer);
    return tokens;
}

std::vector<int> Codes(const std::string& source) {
    std::vector<int> codes;
    for (const Token& token : Scan(source)) codes.push_back(token.code);
    return codes;
}

std::vector<std::string> Texts(const std::string& source) {
    std::vector<std::string> texts;
    for (const Token& token : Scan(source)) texts.push_back(token.text);
    return texts;
}

TEST(GSScanner, KeywordsHaveTheCodes258To297InTheirOrder) {
    const char* const keywords[] = {
        "break", "case", "continue", "default", "else", "for", "goto", "if", "null",
        "return", "switch", "while", "and", "or", "true", "false", "void", "bool", "int",
        "float", "string", "object", "class", "include", "define", "static", "public",
        "native", "final", "thread", "game", "secured", "size", "isclass", "copy", "me",
        "new", "cast", "wait", "on"};
    int code = 258;
    for (const char* keyword : keywords) {
        EXPECT_EQ(Codes(keyword), std::vector<int>{code}) << keyword;
        ++code;
    }
    EXPECT_EQ(code, 298);
}

TEST(GSScanner, KeywordsAreWholeCaseSensitiveWords) {
    EXPECT_EQ(Codes("classx Class _if if2 on"), (std::vector<int>{298, 298, 298, 298, 297}));
}

TEST(GSScanner, LiteralAndSymbolTokensHaveTheirCodes) {
    struct Case {
        const char* text;
        int code;
    } const cases[] = {
        {"name_1", 298}, {"_", 298}, {"0x1F", 299}, {"0XaB", 299}, {"42", 300},
        {"09", 300}, {"'a'", 301}, {"L'ab'", 301}, {"'\\''", 301}, {"1.5", 302},
        {"1.", 302}, {".5", 302}, {"1.5f", 302}, {"\"\"", 303}, {"L\"x\"", 303},
        {"\"a\\\"b\"", 303}, {"[]", 304}, {">>", 305}, {"<<", 306}, {"++", 307},
        {"--", 308}, {"<=", 309}, {">=", 310}, {"==", 311}, {"!=", 312},
        {"#", 313}, {"$", 313}, {"\"", 313}, {"@", 313}, {"\x80", 313}, {"?", 313},
    };
    for (const Case& c : cases) EXPECT_EQ(Codes(c.text), std::vector<int>{c.code}) << c.text;
}

TEST(GSScanner, OneCharacterSymbolsAreTheirOwnCodes) {
    const std::string symbols = ";:{},=()[].&!~-+*/%<>^|";
    for (char symbol : symbols)
        EXPECT_EQ(Codes(std::string(1, symbol) + " "), std::vector<int>{symbol}) << symbol;
}

TEST(GSScanner, LongestMatchDecidesTheLiteralEdges) {
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    } const cases[] = {
        {"1.5f", {"1.5f"}},
        {"1.5F", {"1.5", "F"}},
        {"5f", {"5", "f"}},
        {"0x", {"0", "x"}},
        {"0x1g", {"0x1", "g"}},
        {"''", {"'", "'"}},
        {"a[ ]", {"a", "[", "]"}},
        {"a[]", {"a", "[]"}},
        {"x.y", {"x", ".", "y"}},
        {"1..2", {"1.", ".2"}},
        {"L", {"L"}},
        {"L'a'", {"L'a'"}},
        {"'a'b'", {"'a'", "b", "'"}},
        {"\"a\\\\\"b\"", {"\"a\\\\\"", "b", "\""}},
        {"a/ /b", {"a", "/", "/", "b"}},
        {"+++", {"++", "+"}},
        {"<<=", {"<<", "="}},
    };
    for (const Case& c : cases) EXPECT_EQ(Texts(c.text), c.tokens) << c.text;
}

TEST(GSScanner, CommentsAndWhitespaceAreSkipped) {
    EXPECT_EQ(Texts("a // b c\n d"), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(Texts("a /* b // */ c"), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Texts("a /* /* */ c */"), (std::vector<std::string>{"a", "c", "*", "/"}));
    EXPECT_EQ(Texts("a /** b **/ c"), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Texts("a\t\r\f\v b"), (std::vector<std::string>{"a", "b"}));
    // An unterminated block comment ends the text quietly.
    EXPECT_EQ(Texts("a /* b\nc"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Texts("\"a//b\" '/*'"), (std::vector<std::string>{"\"a//b\"", "'/*'"}));
}

TEST(GSScanner, EveryNewlineOfMatchedTextCounts) {
    const std::vector<Token> tokens = Scan(
        "a\n"
        "/* one\n two */ b // three\n"
        "\"four\nfive\" c\r\n"
        "'\\\n' d");
    const std::vector<Token> expected = {
        {298, "a", 1}, {298, "b", 3}, {303, "\"four\nfive\"", 5}, {298, "c", 5},
        {301, "'\\\n'", 7}, {298, "d", 7}};
    EXPECT_EQ(tokens, expected);
}

TEST(GSScanner, TokensLongerThanTheBufferScanWhole) {
    const std::string name(40000, 'n');
    const std::string string = "\"" + std::string(20000, 's') + "\"";
    const std::vector<Token> tokens =
        Scan("// " + std::string(30000, 'c') + "\n" + name + " " + string + " x");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], (Token{298, name, 2}));
    EXPECT_EQ(tokens[1], (Token{303, string, 2}));
    EXPECT_EQ(tokens[2], (Token{298, "x", 2}));
}

// A stream whose reads fail: flex's input error, fatal in a generated scanner.
class FailingBuffer : public std::streambuf {
protected:
    int_type underflow() override { throw std::ios_base::failure("disk gone"); }
};

TEST(GSScanner, FatalScannerErrorsRaiseInsteadOfEndingTheProcess) {
    FailingBuffer failing;
    std::istream input(&failing);
    GSScanner scanner;
    yy_buffer_state* buffer = scanner.yy_create_buffer(&input, GSScanner::kBufferBytes);
    scanner.yy_switch_to_buffer(buffer);
    EXPECT_THROW(scanner.yylex(), GSScannerError);
    scanner.yy_delete_buffer(buffer);
}

}  // namespace
