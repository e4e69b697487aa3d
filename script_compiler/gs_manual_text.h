// The compiler's manual: the reference of the script language and its compiler that
// "-d" prints, one built-in text of kGSCompilerManualLength characters in a fixed order of sections.
#pragma once

#include <cstddef>
#include <string_view>

// The manual's length in characters, line breaks included.
constexpr size_t kGSCompilerManualLength = 49756;

std::string_view GSCompilerManual();
