// Literal values and unquoting: escapes, cuts, saturation and sign extension.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_literals.h"

namespace {

std::string Unquoted(const std::string& token, bool decode) {
    char content[GSCompiler::kLiteralChars];
    GSCompiler::UnquoteLiteral(content, token.c_str(), decode);
    return content;
}

TEST(UnquoteLiteral, DecodesEscapesOnlyWhenAsked) {
    struct Case {
        const char* token;
        bool decode;
        std::string content;
    } const cases[] = {
        {"\"abc\"", true, "abc"},
        {"L\"abc\"", true, "abc"},
        {"'x'", true, "x"},
        {"\"\"", true, ""},
        {"\"\\n\\t\\v\\r\\f\\b\\a\"", true, "\n\t\v\r\f\b\a"},
        {"\"\\\\\\'\\\"\"", true, "\\'\""},
        {"\"\\l\\q\\1\"", true, "lq1"},
        {"\"ab\\0cd\"", true, "ab"},
        {"\"ab\\\"", true, "ab"},  // the closing quote goes first: a backslash at the end
        {"\"A\\nB\"", false, "A\\nB"},
        {"\"Dir\\File.GS\"", false, "Dir\\File.GS"},
        {"abc", true, ""},         // no opening quote: nothing
        {"L", true, ""},
        {"", true, ""},
        {"\"open", true, "open"},  // no closing quote to drop
    };
    for (const Case& c : cases) EXPECT_EQ(Unquoted(c.token, c.decode), c.content) << c.token;
}

TEST(UnquoteLiteral, CutsTheTokenTo2047Characters) {
    const std::string body(3000, 'x');
    EXPECT_EQ(Unquoted("\"" + body + "\"", true), body.substr(0, 2046));
    EXPECT_EQ(Unquoted("\"" + std::string(2045, 'y') + "\"", true), std::string(2045, 'y'));
}

TEST(GSLiterals, IntegersSaturateAtTheLargestSigned32BitValue) {
    struct Case {
        const char* text;
        int32_t value;
    } const cases[] = {
        {"0", 0}, {"09", 9}, {"2147483647", 2147483647}, {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647}, {"000000000000000000001", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(GSDecimalValue(c.text), c.value) << c.text;
    const Case hex[] = {
        {"0x0", 0}, {"0x7fffffff", 2147483647}, {"0x80000000", 2147483647},
        {"0xFFFFFFFF", 2147483647}, {"0x123456789ABCDEF", 2147483647}, {"0XaB", 0xAB},
        {"0x0000000000000001F", 0x1F},
    };
    for (const Case& c : hex) EXPECT_EQ(GSHexValue(c.text), c.value) << c.text;
}

TEST(GSLiterals, FloatsAreReadAsDoublesAndStoredAsFloats) {
    EXPECT_EQ(GSFloatValue("1.5f"), 1.5f);
    EXPECT_EQ(GSFloatValue(".5"), 0.5f);
    EXPECT_EQ(GSFloatValue("5."), 5.0f);
    EXPECT_EQ(GSFloatValue("0.1"), static_cast<float>(0.1));
    EXPECT_EQ(GSFloatValue("16777217.0"), 16777216.0f);
    EXPECT_TRUE(std::isinf(GSFloatValue(("1" + std::string(60, '0') + ".0").c_str())));
    EXPECT_TRUE(std::isinf(GSFloatValue((std::string(400, '9') + ".").c_str())));
    EXPECT_EQ(GSFloatValue(("0." + std::string(400, '0') + "1").c_str()), 0.0f);
}

TEST(GSLiterals, CharactersAreTheFirstDecodedByteSignExtended) {
    struct Case {
        const char* text;
        int32_t value;
    } const cases[] = {
        {"'a'", 97}, {"'ab'", 97}, {"L'a'", 97}, {"'\\n'", 10}, {"'\\''", 39},
        {"'\\0'", 0}, {"'\\q'", 'q'}, {"'\x7F'", 127}, {"'\x80'", -128}, {"'\xFF'", -1},
        {"'\xE9t'", -23},
    };
    for (const Case& c : cases) EXPECT_EQ(GSCharValue(c.text), c.value) << c.text;
}

}  // namespace
