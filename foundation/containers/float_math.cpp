// Float arithmetic.
#include "foundation/containers/float_math.h"

#include <cmath>

float FloatSqrt(float value) {
    return static_cast<float>(std::sqrt(static_cast<double>(value)));
}

float FloatMod(float value, float divisor) {
    return static_cast<float>(std::fmod(static_cast<double>(value), static_cast<double>(divisor)));
}
