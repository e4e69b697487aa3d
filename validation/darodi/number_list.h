// Numbers of tag values, read in the "C" locale whatever the process's locale is:
// ParseNumberList cuts a value at every blank and comma (so "1, 2" is 1, 0, 2), and
// CheckArraySize tests that a vector value holds the count of numbers its type asks.
#pragma once

#include <string_view>
#include <vector>

namespace DAROdi {

class Tag;

// atof in the "C" locale (strtod with the "C" locale object), whatever the process locale.
double ParseFloatC(std::string_view text);
// atof in the "C" locale as a float; beyond the float range an infinity.
float ParseFloatToFloatC(std::string_view text);
// strtol (base 10) in the "C" locale, kept within the int range.
int ParseIntC(std::string_view text);
// One number per piece between blanks and commas; an empty piece is 0, an empty text one 0.
std::vector<float> ParseNumberList(std::string_view text);
// A missing tag or empty value: false. Before build 2.89 any count passes; else the value
// must hold exactly size numbers ($tet_val_arraywrongsize otherwise).
bool CheckArraySize(Tag* tag, int size);

} // namespace DAROdi
