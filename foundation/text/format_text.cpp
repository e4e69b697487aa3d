// One try in a 4096-byte buffer; text that did not fit is formatted once more at its
// reported length (bounded by the caller's cut).
#include "foundation/text/format_text.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr size_t kFirstBuffer = 4096;

}  // namespace

std::optional<std::string> FormatTextCut(const char* format, va_list args, size_t maxBytes) {
    std::string text(kFirstBuffer, '\0');
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(text.data(), text.size(), format, copy);
    va_end(copy);
    if (needed < 0) return std::nullopt;
    const size_t length = static_cast<size_t>(needed);
    if (length >= text.size()) {
        text.assign(std::min(length, maxBytes) + 1, '\0');
        va_copy(copy, args);
        const int again = std::vsnprintf(text.data(), text.size(), format, copy);
        va_end(copy);
        if (again < 0) return std::nullopt;
    }
    text.resize(std::min(length, maxBytes));
    return text;
}

std::string FormatText(const char* format, va_list args) {
    return FormatTextCut(format, args, std::numeric_limits<size_t>::max() - 1)
        .value_or(std::string());
}
