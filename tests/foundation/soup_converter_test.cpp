// Value conversions between tag types: the numeric-text test, each converter and the chains
// through text, with values that are short, hold no number, or carry float text.
#include "foundation/soup/converter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "soup_test_support.h"

namespace {

using soup_test::BytesOf;
using soup_test::Floats;
using soup_test::Ints;
using soup_test::Kuids;
using soup_test::Text;

TEST(SoupNumericText, AcceptsOnlyPlainDecimalsWithALowerCaseExponentAfterThePoint) {
    struct Case {
        std::string_view text;
        bool numeric;
    } cases[] = {
        {"12", true},     {"-3.5", true},       {"1.5e-3", true},  {"7 ", true},
        {"7\t \t", true}, {"0.5e+10", true},    {".", true},       {"-.", true},
        {"1.", true},     {"1e5", false},       {"+1", false},     {" 1", false},
        {"1,2", false},   {"", false},          {"-", false},      {"- ", false},
        {"  ", false},    {"1.2.3", false},     {"1.5E-3", false}, {"1.5e3", false},
        {"1.5e-", false}, {"1.5e-3e-1", false}, {"1 2", false},    {"--1", false},
        {"0x10", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ACSConverter::IsNumericText(c.text), c.numeric) << "\"" << c.text << "\"";
}

std::vector<uint8_t> IntBytes(std::initializer_list<int32_t> items) {
    return BytesOf(Ints(items));
}
std::vector<uint8_t> FloatBytes(std::initializer_list<float> items) {
    return BytesOf(Floats(items));
}
std::vector<uint8_t> KuidBytes(std::initializer_list<KUID> kuids) {
    return BytesOf(Kuids(kuids));
}
std::vector<uint8_t> TextBytes(std::string_view text, bool withZero) {
    std::vector<uint8_t> bytes = BytesOf(text);
    if (withZero) bytes.push_back(0);
    return bytes;
}

struct ConversionCase {
    const char* what;
    ACSTagType from;
    std::vector<uint8_t> source;
    ACSTagType to;
    std::optional<std::vector<uint8_t>> expected; // nothing: the result is null
};

void ExpectConversion(const ConversionCase& c) {
    const ACSRawDataRef source =
        ACSRawDataRef::CopyBytes(static_cast<uint32_t>(c.source.size()), c.source.data());
    ACSRawDataRef target = Ints({99}); // replaced whatever the outcome
    ACSConverter::Convert(c.from, source, c.to, target);
    if (!c.expected) {
        EXPECT_TRUE(target.IsNull()) << c.what;
        return;
    }
    ASSERT_FALSE(target.IsNull()) << c.what;
    EXPECT_EQ(BytesOf(target), *c.expected) << c.what;
}

using T = ACSTagType;
const KUID k12(1, 2, 0);
const KUID k345(3, 4, 5);

TEST(SoupConverter, TextScansIntoOneNumberWhenItIsNumericText) {
    const ConversionCase cases[] = {
        {"int", T::String, TextBytes("12", true), T::IntArray, IntBytes({12})},
        {"negative", T::String, TextBytes("-40", false), T::IntArray, IntBytes({-40})},
        {"trailing blank", T::String, TextBytes("12 ", true), T::IntArray, IntBytes({12})},
        {"leading blank", T::String, TextBytes(" 12", true), T::IntArray, std::nullopt},
        {"point", T::String, TextBytes("-3.9", true), T::IntArray, IntBytes({-3})},
        {"exponent", T::String, TextBytes("1.5e+3", true), T::IntArray, IntBytes({1})},
        {"no digit", T::String, TextBytes(".", true), T::IntArray, std::nullopt},
        {"minus point", T::String, TextBytes("-.", true), T::IntArray, std::nullopt},
        {"too large", T::String, TextBytes("2147483648", true), T::IntArray, std::nullopt},
        {"smallest", T::String, TextBytes("-2147483648", true), T::IntArray, IntBytes({INT32_MIN})},
        {"empty", T::String, {}, T::IntArray, std::nullopt},
        {"letters", T::String, TextBytes("12a", true), T::IntArray, std::nullopt},
        {"float", T::String, TextBytes("1.5e-3", true), T::FloatArray, FloatBytes({1.5e-3f})},
        {"float int", T::String, TextBytes("7", true), T::FloatArray, FloatBytes({7.0f})},
        {"float no digit", T::String, TextBytes("-.", true), T::FloatArray, std::nullopt},
        {"float overflow", T::String, TextBytes("1.0e+99", true), T::FloatArray, std::nullopt},
        {"float list", T::String, TextBytes("1,2", true), T::FloatArray, std::nullopt},
    };
    for (const ConversionCase& c : cases)
        ExpectConversion(c);
}

TEST(SoupConverter, TextScansOnlyUpToItsZeroByte) {
    const ConversionCase cases[] = {
        {"zero inside", T::String, {'1', '2', 0, '3'}, T::IntArray, IntBytes({12})},
        {"zero first", T::String, {0, '1'}, T::IntArray, std::nullopt},
    };
    for (const ConversionCase& c : cases)
        ExpectConversion(c);
}

TEST(SoupConverter, TextWithoutAZeroByteIsReadWithinItsSize) {
    // A borrowed value whose bytes run on past its size: only the size counts.
    const char bytes[] = "1234";
    ACSRawDataRef value = ACSRawDataRef::Borrow(2, reinterpret_cast<const uint8_t*>(bytes),
                                                soup_test::NewContainer());
    ACSRawDataRef target;
    ACSConverter::Convert(T::String, value, T::IntArray, target);
    EXPECT_EQ(BytesOf(target), IntBytes({12}));
    ACSConverter::Convert(T::String, value, T::String, target);
    EXPECT_EQ(target.Text(), "12");
}

TEST(SoupConverter, TextParsesAsOneKUIDAndAnyOtherTextGivesTheNullKUID) {
    const std::vector<uint8_t> nullKuid(8, 0xFF);
    const ConversionCase cases[] = {
        {"tag", T::String, TextBytes("<kuid:1:2>", true), T::KUIDArray, KuidBytes({k12})},
        {"kuid2", T::String, TextBytes("<kuid2:3:4:5>", true), T::KUIDArray, KuidBytes({k345})},
        {"bare number", T::String, TextBytes("5", true), T::KUIDArray,
         KuidBytes({KUID(-1, 5, 127)})},
        {"letters", T::String, TextBytes("abc", true), T::KUIDArray, nullKuid},
        {"empty", T::String, {}, T::KUIDArray, nullKuid},
    };
    for (const ConversionCase& c : cases)
        ExpectConversion(c);
}

TEST(SoupConverter, ArraysBecomeTextWithinTheirSize) {
    const ConversionCase cases[] = {
        {"ints", T::IntArray, IntBytes({1, 2, 3}), T::String, TextBytes("1,2,3", false)},
        {"negative", T::IntArray, IntBytes({-7}), T::String, TextBytes("-7", false)},
        {"ints short", T::IntArray, {1, 0, 0}, T::String, std::nullopt},
        {"ints ragged", T::IntArray, {5, 0, 0, 0, 1, 2}, T::String, TextBytes("5", false)},
        {"floats", T::FloatArray, FloatBytes({1.5f, -2.0f}), T::String, TextBytes("1.5,-2", false)},
        {"float six digits", T::FloatArray, FloatBytes({123456789.0f}), T::String,
         TextBytes("1.23457e+08", false)},
        {"float fraction", T::FloatArray, FloatBytes({0.1f}), T::String, TextBytes("0.1", false)},
        {"floats short", T::FloatArray, {0, 0, 0}, T::String, std::nullopt},
        {"kuid", T::KUIDArray, KuidBytes({k12}), T::String, TextBytes("<kuid:1:2>", true)},
        {"kuids", T::KUIDArray, KuidBytes({k345, k12}), T::String,
         TextBytes("<kuid2:3:4:5>", true)},
        {"null kuid", T::KUIDArray, KuidBytes({KUID::Null()}), T::String,
         TextBytes("<NULL>", true)},
        {"kuid short", T::KUIDArray, {1, 2, 3, 4, 5, 6, 7}, T::String, std::nullopt},
    };
    for (const ConversionCase& c : cases)
        ExpectConversion(c);
}

TEST(SoupConverter, NumbersAndKUIDsConvertIntoEachOtherThroughTheirText) {
    const ConversionCase cases[] = {
        {"ints to float", T::IntArray, IntBytes({1, 2, 3}), T::FloatArray, std::nullopt},
        {"int to float", T::IntArray, IntBytes({7}), T::FloatArray, FloatBytes({7.0f})},
        {"float to int", T::FloatArray, FloatBytes({1.5f}), T::IntArray, IntBytes({1})},
        {"big float to int", T::FloatArray, FloatBytes({3e9f}), T::IntArray, std::nullopt},
        {"float exponent to int", T::FloatArray, FloatBytes({2.5e9f}), T::IntArray, IntBytes({2})},
        {"int to kuid", T::IntArray, IntBytes({5}), T::KUIDArray, KuidBytes({KUID(-1, 5, 127)})},
        {"kuid to int", T::KUIDArray, KuidBytes({k12}), T::IntArray, std::nullopt},
        {"short float to int", T::FloatArray, {1, 2}, T::IntArray, std::nullopt},
    };
    for (const ConversionCase& c : cases)
        ExpectConversion(c);
}

TEST(SoupConverter, BlobsContainersAndEmptyTagsConvertToNothingElse) {
    const ConversionCase cases[] = {
        {"blob", T::Blob, {'1', '2', 0}, T::String, std::nullopt},
        {"blob to int", T::Blob, {1, 0, 0, 0}, T::IntArray, std::nullopt},
        {"container", T::Container, {}, T::String, std::nullopt},
        {"null", T::Null, {'1', 0}, T::String, std::nullopt},
        {"to blob", T::String, TextBytes("12", true), T::Blob, std::nullopt},
        {"to null", T::IntArray, IntBytes({1}), T::Null, std::nullopt},
    };
    for (const ConversionCase& c : cases)
        ExpectConversion(c);
}

TEST(SoupConverter, TheSameTypeSharesTheBlock) {
    const ACSRawDataRef blob = Text("xyz");
    ACSRawDataRef target;
    ACSConverter::Convert(T::Blob, blob, T::Blob, target);
    EXPECT_EQ(target.Core(), blob.Core());
    ACSConverter::Convert(T::Null, blob, T::Null, target);
    EXPECT_EQ(target.Core(), blob.Core());
}

TEST(SoupConverter, TheTargetMayBeTheSourceItself) {
    ACSRawDataRef value = Ints({1, 2});
    ACSConverter::Convert(T::IntArray, value, T::String, value);
    EXPECT_EQ(value.Text(), "1,2");
}

} // namespace
