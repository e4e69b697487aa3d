// Kiv::Rand: inclusive ranges, every value of a small range reached, repeatable seeds.
#include "engine/rand.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <vector>

namespace {

TEST(Rand, NextIntStaysInTheInclusiveRangeAndReachesEveryValue) {
    Kiv::Rand rand;
    rand.Randomise();
    std::set<int32_t> seen;
    for (int i = 0; i < 5000; ++i) {
        int32_t value = rand.NextInt(0, 35);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 35);
        seen.insert(value);
    }
    EXPECT_EQ(seen.size(), 36u);
    for (int i = 0; i < 100; ++i) {
        int32_t value = rand.NextInt(5, -5);  // reversed bounds
        ASSERT_GE(value, -5);
        ASSERT_LE(value, 5);
    }
    EXPECT_EQ(rand.NextInt(7, 7), 7);
    int32_t wide = rand.NextInt(INT32_MIN, INT32_MAX);
    EXPECT_GE(wide, INT32_MIN);
}

TEST(Rand, SameSeedSameSequence) {
    Kiv::Rand a, b;
    a.Seed(1234);
    b.Seed(1234);
    std::vector<int32_t> first, second;
    for (int i = 0; i < 50; ++i) {
        first.push_back(a.NextInt(0, 1000000));
        second.push_back(b.NextInt(0, 1000000));
    }
    EXPECT_EQ(first, second);
    b.Seed(1235);
    std::vector<int32_t> other;
    for (int i = 0; i < 50; ++i) other.push_back(b.NextInt(0, 1000000));
    EXPECT_NE(first, other);
}

}  // namespace
