// ASCII case rules shared by the engine's strings, paths, options and directory searches.
// Only A-Z and a-z change case; every other byte, including those of 0x80 and above, is
// left alone, whatever locale the process runs in.
#pragma once

#include <cstddef>
#include <string_view>

namespace Kiv::Ascii {

constexpr char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
constexpr char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// <0, 0, >0 as the byte compare of both texts lower-cased.
inline int CompareIgnoreCase(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(ToLower(a[i]));
        auto y = static_cast<unsigned char>(ToLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareIgnoreCase(a, b) == 0;
}

}  // namespace Kiv::Ascii
