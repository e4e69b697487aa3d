// ReferenceCountMP: a new object holds one reference; the last release destroys it, also
// when references are dropped from several threads at once.
#include "foundation/results/reference_count_mp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Chunk : ReferenceCountMP {
    explicit Chunk(std::atomic<int>* destroyed) : destroyed(destroyed) {}
    ~Chunk() override { ++*destroyed; }
    std::atomic<int>* destroyed;
};

TEST(ReferenceCountMP, TheLastReleaseDestroysTheObject) {
    std::atomic<int> destroyed = 0;
    auto* chunk = new Chunk(&destroyed);
    EXPECT_EQ(chunk->RefCount(), 1);
    constexpr int kThreads = 4;
    constexpr int kPerThread = 1000;
    for (int i = 0; i < kThreads * kPerThread; ++i)
        chunk->AddRef();

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([chunk] {
            for (int i = 0; i < kPerThread; ++i)
                ReferenceCountMP::ReleaseRef(chunk);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(chunk->RefCount(), 1);
    EXPECT_EQ(destroyed, 0);

    ReferenceCountMP::ReleaseRef(chunk);
    EXPECT_EQ(destroyed, 1);
    ReferenceCountMP::ReleaseRef(nullptr);
}

} // namespace
