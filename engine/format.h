// printf-style formatting into owned text, shared by the engine's string and log classes.
#pragma once

#include <cstdarg>
#include <string>

namespace Kiv {

// The whole formatted text; empty when formatting failed. args is consumed.
std::string FormatV(const char* format, va_list args);

}  // namespace Kiv
