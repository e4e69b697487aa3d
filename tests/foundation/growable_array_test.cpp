// Growable arrays: the proportional and explicit grow steps, shrinking that keeps the
// storage, value-initialised new items, and the release of records' owned text.
#include "foundation/containers/growable_array.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/string.h"

namespace {

TEST(GrowableArray, ProportionalGrowStepIsAnEighthOfTheCountFrom4To1024) {
    struct Case {
        int32_t count;
        int32_t step;
    };
    const Case cases[] = {{40, 5}, {8, 4}, {20000, 1024}, {100, 12}, {8192, 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        GrowableArray<int> array;
        array.Resize(c.count);
        ASSERT_EQ(array.Capacity(), c.count) << "the first allocation is exactly the count";
        array.Resize(c.count + 1);
        EXPECT_EQ(array.Capacity(), c.count + c.step);
        EXPECT_EQ(array.Count(), c.count + 1);
    }
}

TEST(GrowableArray, GrowsToTheCountWhenTheStepIsNotEnough) {
    GrowableArray<int> array;
    array.Resize(1);
    EXPECT_EQ(array.Capacity(), 4) << "0 + the minimum step of 4";
    array.Resize(100);
    EXPECT_EQ(array.Capacity(), 100);
}

TEST(GrowableArray, AnExplicitGrowStepIsStoredAndUsed) {
    GrowableArray<int> array;
    array.Resize(10, 50);
    EXPECT_EQ(array.GrowStep(), 50);
    EXPECT_EQ(array.Capacity(), 50);
    array.Resize(51);
    EXPECT_EQ(array.Capacity(), 100);
    array.Resize(101, -1);
    EXPECT_EQ(array.Capacity(), 150) << "-1 keeps the step";
}

TEST(GrowableArray, ShrinkingKeepsStorageAndRegrownItemsAreZero) {
    GrowableArray<int> array;
    array.Resize(10);
    for (int i = 0; i < 10; ++i)
        array[i] = i + 1;
    array.Resize(3);
    EXPECT_EQ(array.Capacity(), 10);
    array.Resize(6);
    EXPECT_EQ(array[2], 3);
    EXPECT_EQ(array[3], 0);
    EXPECT_EQ(array[5], 0);

    array.ShrinkToFit();
    EXPECT_EQ(array.Capacity(), 6);
    EXPECT_EQ(array[2], 3);
    array.Resize(0);
    array.ShrinkToFit();
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Data(), nullptr);
}

TEST(GrowableArray, ClearAndFreeDestroyRecords) {
    struct StringRecord {
        int32_t a = 0;
        std::shared_ptr<int> share;
        Kiv::String name;
    };
    auto shared = std::make_shared<int>(1);
    GrowableArray<StringRecord> records;
    records.Resize(5);
    for (int i = 0; i < 5; ++i)
        records[i] = {i, shared, Kiv::String("record")};
    EXPECT_EQ(shared.use_count(), 6);

    records.Clear();
    EXPECT_EQ(records.Count(), 0);
    EXPECT_EQ(records.GrowStep(), 1000);
    EXPECT_EQ(records.Capacity(), 5) << "the storage stays";
    EXPECT_EQ(shared.use_count(), 1);

    records.Resize(2);
    EXPECT_TRUE(records[1].name.IsEmpty());
    records[0].share = shared;
    records.Free();
    EXPECT_EQ(records.Capacity(), 0);
    EXPECT_EQ(shared.use_count(), 1);
}

} // namespace
