// Formatting is narrow (vsnprintf) for both entry points: a bad argument can then never
// look like a buffer that was too small, and the length is known after one try. The
// message form is formatted with room for 4 UTF-8 bytes per character before its UTF-16
// text is cut, so the cut never falls inside a character of the kept text.
#include "foundation/console.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "foundation/console_lock.h"
#include "foundation/console_text.h"
#include "foundation/output_pipe.h"
#include "foundation/utf16_conversion.h"

namespace {

constexpr size_t kFirstBuffer = 4096;
constexpr size_t kMaxCharacters = 65535;

// The formatted text, cut at maxBytes; nothing when formatting failed.
std::optional<std::string> FormatCut(const char* format, va_list args, size_t maxBytes) {
    std::string text(kFirstBuffer, '\0');
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(text.data(), text.size(), format, copy);
    va_end(copy);
    if (needed < 0) return std::nullopt;
    const size_t length = static_cast<size_t>(needed);
    if (length >= text.size()) {
        text.assign(std::min(length, maxBytes) + 1, '\0');
        if (std::vsnprintf(text.data(), text.size(), format, args) < 0) return std::nullopt;
    }
    text.resize(std::min(length, maxBytes));
    return text;
}

}  // namespace

void WriteConsoleText(std::string_view line) {
    std::string text(line);
    text.push_back('\n');
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    WriteConsoleOutput(text);
}

void PrintConsoleText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::optional<std::string> text = FormatCut(format, args, kMaxCharacters);
    va_end(args);
    if (text) WriteConsoleText(*text);
}

void PrintConsoleMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::optional<std::string> text = FormatCut(format, args, 4 * kMaxCharacters);
    va_end(args);
    if (!text) return;
    std::u16string wide = UTF8ToUTF16(*text);
    if (wide.size() > kMaxCharacters) wide.resize(kMaxCharacters);
    WriteConsoleText(WideToNarrowText(wide));
}
