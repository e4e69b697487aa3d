// The values of the scanner's literal tokens, from their text: decimal and hexadecimal
// integers, floats and character constants.
#pragma once

#include <cstdint>

// Decimal digits; a value beyond the signed 32-bit range gives 2147483647.
int32_t GSDecimalValue(const char* text);
// "0x" and hex digits; a value above 2147483647 gives 2147483647.
int32_t GSHexValue(const char* text);
// Digits with one ".", an optional trailing "f"; stored as a 32-bit float.
float GSFloatValue(const char* text);
// The first character of the decoded content, sign-extended from 8 bits (0 when empty).
int32_t GSCharValue(const char* text);
