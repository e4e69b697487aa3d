// FloatSqrt and FloatMod: rounding to float and the sign of the remainder.
#include "foundation/containers/float_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(FloatMath, SqrtIsRoundedToFloat) {
    EXPECT_EQ(FloatSqrt(2.0f), 1.41421354f);
    EXPECT_EQ(FloatSqrt(16.0f), 4.0f);
    EXPECT_TRUE(std::isnan(FloatSqrt(-1.0f)));
}

TEST(FloatMath, ModKeepsTheSignOfTheDividend) {
    struct Case {
        float value;
        float divisor;
        float expected;
    };
    const Case cases[] = {{7.5f, 2.0f, 1.5f},
                          {-7.5f, 2.0f, -1.5f},
                          {7.5f, -2.0f, 1.5f},
                          {1.0f, 3.0f, 1.0f},
                          {-0.0f, 1.0f, -0.0f}};
    for (const Case& c : cases) {
        float result = FloatMod(c.value, c.divisor);
        EXPECT_EQ(result, c.expected) << c.value << " mod " << c.divisor;
        EXPECT_EQ(std::signbit(result), std::signbit(c.expected));
    }
    EXPECT_TRUE(std::isnan(FloatMod(1.0f, 0.0f)));
}

} // namespace
