// Kiv::UId: the 128-bit identifier under which the engine files its plug-ins and resource
// families, written as GUID text ("4C414E80-BBDA-11d4-9AD7-0001025364B8": groups of 8, 4,
// 4, 4 and 12 hexadecimal digits, either case). Parse is constexpr, so an identifier written
// as text in the code is checked when it is compiled.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Kiv {

class UId {
public:
    constexpr UId() = default;

    // The identifier of GUID text; none for any other text (braces, missing or extra
    // digits, misplaced hyphens).
    static constexpr std::optional<UId> Parse(std::string_view text);

    constexpr bool IsNull() const { return bytes_ == std::array<uint8_t, 16>{}; }
    constexpr bool operator==(const UId& other) const = default;
    // The 16 bytes in the order the text writes them.
    constexpr const std::array<uint8_t, 16>& Bytes() const { return bytes_; }

private:
    static constexpr int HexDigit(char c);

    std::array<uint8_t, 16> bytes_{};
};

constexpr int UId::HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr std::optional<UId> UId::Parse(std::string_view text) {
    constexpr size_t kLength = 36;
    if (text.size() != kLength) return std::nullopt;
    UId id;
    size_t byte = 0;
    for (size_t i = 0; i < kLength;) {
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        id.bytes_[byte++] = static_cast<uint8_t>(high * 16 + low);
        i += 2;
    }
    return id;
}

}  // namespace Kiv
