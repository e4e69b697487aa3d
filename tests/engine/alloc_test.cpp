// Engine memory: named heaps count what they hand out, raw blocks, interlocked counters
// under several threads, and counted objects that delete themselves at the last release.
#include "engine/alloc.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(PackedHeap, CountsBytesInUse) {
    Kiv::PackedHeap heap("#Test");
    EXPECT_STREQ(heap.Name(), "#Test");
    void* a = heap.Allocate(100);
    void* b = heap.Allocate(28);
    EXPECT_EQ(heap.BytesInUse(), 128);
    heap.Free(a, 100);
    heap.Free(nullptr, 50);
    EXPECT_EQ(heap.BytesInUse(), 28);
    heap.Free(b, 28);
    EXPECT_EQ(heap.BytesInUse(), 0);
}

TEST(Alloc, NewDeleteAndRawBlocks) {
    int* value = Kiv::Alloc::New<int>(41);
    EXPECT_EQ(*value, 41);
    Kiv::Alloc::Delete(value);
    void* empty = Kiv::Alloc::Raw(0);
    EXPECT_NE(empty, nullptr);
    Kiv::Alloc::FreeRaw(empty);
    Kiv::Alloc::FreeRaw(nullptr);
}

TEST(ProtectedLong, IncrementAndDecrementReturnTheNewValueUnderContention) {
    Kiv::ProtectedLong counter(5);
    EXPECT_EQ(counter.Increment(), 6);
    EXPECT_EQ(counter.Decrement(), 5);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                counter.Increment();
                counter.Decrement();
                counter.Increment();
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(counter.Get(), 5 + 8 * 10000);
}

class Counted : public Kiv::ReferenceCount {
public:
    explicit Counted(bool& deleted) : deleted_(deleted) {}
    ~Counted() override { deleted_ = true; }

private:
    bool& deleted_;
};

TEST(ReferenceCount, StartsAtOneAndTheLastReleaseDeletes) {
    bool deleted = false;
    auto* object = new Counted(deleted);
    EXPECT_EQ(object->ReferenceCountValue(), 1);
    object->AddReference();
    object->ReleaseReference();
    EXPECT_FALSE(deleted);
    object->ReleaseReference();
    EXPECT_TRUE(deleted);
}

}  // namespace
