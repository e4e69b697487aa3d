// Literal values: saturating integer reads and the float read in the "C" locale, never
// through an unchecked conversion.
#include "script_compiler/gs_literals.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>

#include "script_compiler/gs_compiler.h"

namespace {

constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();

int32_t SaturatedValue(const char* digits, int base) {
    int64_t value = 0;
    for (const char* p = digits; std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
        const int digit = std::isdigit(static_cast<unsigned char>(*p))
                              ? *p - '0'
                              : std::tolower(static_cast<unsigned char>(*p)) - 'a' + 10;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > kLargest) return static_cast<int32_t>(kLargest);
    }
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t GSDecimalValue(const char* text) {
    return SaturatedValue(text, 10);
}

int32_t GSHexValue(const char* text) {
    return SaturatedValue(text + 2, 16);
}

float GSFloatValue(const char* text) {
    // Digits and one "." only (from_chars stops at the "f"), read in no locale; a read
    // beyond the double range is too large (digits only, so never negative) or too small.
    double value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error == std::errc::result_out_of_range) {
        const char* point = std::find(text, stop, '.');
        const bool large = std::any_of(text, point, [](char c) { return c != '0'; });
        return large ? std::numeric_limits<float>::infinity() : 0.0f;
    }
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

int32_t GSCharValue(const char* text) {
    char content[GSCompiler::kLiteralChars];
    GSCompiler::UnquoteLiteral(content, text, true);
    return static_cast<int8_t>(content[0]);
}
