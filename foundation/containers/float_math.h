// Float arithmetic shared by the script runtime and the tool: the square root and the
// floating remainder, both computed in double and rounded to float.
#pragma once

// Square root of value, rounded to float (NaN for a negative value).
float FloatSqrt(float value);
// Remainder of value / divisor with the sign of value, as fmod (NaN for a 0 divisor).
float FloatMod(float value, float divisor);
