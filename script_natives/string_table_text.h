// Putting parameters into a string-table text: "$0" to "$9" become parameters 0 to 9, "$$"
// becomes one "$", any other "$" stays. One pass from left to right: inserted parameters
// are not expanded again, and a "$" as the last character stays.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/pstring.h"

using StringTableParameters = std::array<Kiv::PString, 10>;

std::string ExpandStringTableText(std::string_view text, const StringTableParameters& parameters);
