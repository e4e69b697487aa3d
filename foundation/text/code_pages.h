// Code-page conversions. The system "ANSI" code page is Windows-1252, by a table of our
// own: 0x80-0x9F as Windows maps them, the five bytes Windows leaves undefined there (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) to the control characters of the same value and back, so every
// byte round-trips. A character that Windows-1252 cannot hold becomes "?" (no best fit).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr int kCodePageAnsi = 0;  // the system code page: Windows-1252
constexpr int kCodePageWindows1252 = 1252;
constexpr int kCodePageUTF8 = 65001;

char16_t Windows1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a character, or -1 when it has none.
int UnicodeToWindows1252(char32_t c);

// Converts the NUL-terminated text in buffer (at most bufferSize bytes are read) from one
// code page to another, in place. Returns 0 when converted; the size needed (text and NUL)
// when the buffer is too small, leaving it unchanged; -1 when a code page is unknown, with
// every byte from 0x80 up of the text replaced by "?".
int ConvertCodePageInPlace(char* buffer, size_t bufferSize, int fromCodePage, int toCodePage);
int ConvertAnsiToUTF8(char* buffer, size_t bufferSize);
int ConvertUTF8ToAnsi(char* buffer, size_t bufferSize);

// System-code-page text as UTF-16.
std::u16string ConvertAnsiToWide(std::string_view text);
