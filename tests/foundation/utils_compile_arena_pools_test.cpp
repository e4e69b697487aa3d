// The compile arena's pools: nothing before Reset, the node pool sized from the node record
// with the arena's counts, and a Reset that gives every node and text back.
#include "foundation/utils/compile_arena_pools.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Shaped like a syntax-tree node: pointers and 32-bit fields.
struct TestNode {
    TestNode* child[4];
    TestNode* next;
    uintptr_t zero;
    int32_t category;
    uint32_t value;
    int32_t kind, sub, line;
    uint32_t flags;
};

using Pools = Utils::CompileArenaPools<TestNode>;

TEST(CompileArenaPools, NothingIsAllocatedBeforeReset) {
    Pools pools;
    EXPECT_EQ(pools.AllocNode(), nullptr);
    EXPECT_EQ(pools.StrDup("x"), nullptr);
    EXPECT_EQ(pools.Nodes().ChunkCount(), 0u);
    EXPECT_EQ(pools.Texts().ChunkSize(), 0u);
}

TEST(CompileArenaPools, ResetSetsUpTheArenaPools) {
    Pools pools;
    ASSERT_TRUE(pools.Reset());
    EXPECT_EQ(pools.Nodes().BlockSize(), sizeof(TestNode));
    EXPECT_EQ(pools.Nodes().BlocksPerChunk(), 256u);
    EXPECT_EQ(pools.Nodes().ReleaseThreshold(), 4096u);
    EXPECT_EQ(pools.Texts().ChunkSize(), 2048u);
    for (int i = 0; i < 600; ++i) {
        void* node = pools.AllocNode();
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(node) % alignof(TestNode), 0u);
        static_cast<TestNode*>(node)->next = nullptr;
    }
    EXPECT_EQ(pools.Nodes().ChunkCount(), 3u);
    EXPECT_STREQ(pools.StrDup("script.gs"), "script.gs");
    ASSERT_TRUE(pools.Reset());
    EXPECT_EQ(pools.Nodes().Used(), 0u);
    EXPECT_EQ(pools.Nodes().ChunkCount(), 0u);
    EXPECT_EQ(pools.Texts().Total(), 0u);
    EXPECT_NE(pools.AllocNode(), nullptr);
}

}  // namespace
