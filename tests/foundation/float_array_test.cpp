// FloatArray: capacities rounded to multiples of 8 or 128, items kept on growth.
#include "foundation/containers/float_array.h"

#include <gtest/gtest.h>

namespace {

TEST(FloatArray, ReserveRoundsToMultiplesOf8And128) {
    struct Case {
        int32_t request;
        int32_t by8;
        int32_t by128;
    };
    const Case cases[] = {{1, 8, 128}, {8, 8, 128}, {9, 16, 128}, {129, 136, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        FloatArray a;
        FloatArray b;
        a.Reserve(c.request);
        b.Reserve128(c.request);
        EXPECT_EQ(a.Capacity(), c.by8);
        EXPECT_EQ(b.Capacity(), c.by128);
    }
}

TEST(FloatArray, GrowingKeepsTheUsedItems) {
    FloatArray a;
    a.SetLength(3);
    a[0] = 1.5f;
    a[2] = -2.0f;
    a.Reserve128(300);
    EXPECT_EQ(a.Capacity(), 384);
    EXPECT_EQ(a.Length(), 3);
    EXPECT_EQ(a[0], 1.5f);
    EXPECT_EQ(a[2], -2.0f);
    a.SetLength(1);
    a.SetLength(3);
    EXPECT_EQ(a[2], 0.0f) << "items beyond a shortened length come back zero";
    a.Reserve(2);
    EXPECT_EQ(a.Capacity(), 384) << "never shrinks";
}

} // namespace
