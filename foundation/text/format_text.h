// printf-style formatting into owned text, for the console and log entry points that take
// a format and its arguments. Narrow formatting only: vsnprintf reports the full length,
// so a too-small buffer and a bad argument are never confused.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <optional>
#include <string>

// The formatted text cut at maxBytes; nothing when formatting failed.
std::optional<std::string> FormatTextCut(const char* format, va_list args, size_t maxBytes);

// The formatted text whole; empty when formatting failed.
std::string FormatText(const char* format, va_list args);
