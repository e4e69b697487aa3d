// Block memory: the rounded pool parameters, the bitmap order (block 224 first), refused
// frees, the choice of the allocation chunk, the release threshold, the recycling
// operations, and a random run checked against a model of the live blocks.
#include "foundation/utils/block_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <vector>

namespace {

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// Fills `chunks` whole chunks and returns their blocks, chunk by chunk in address order,
// each chunk's blocks in address order.
std::vector<std::vector<void*>> FillChunks(Utils::BlockMemory& pool, uint32_t chunks) {
    std::vector<void*> blocks;
    for (uint32_t i = 0; i < chunks * pool.BlocksPerChunk(); ++i) {
        blocks.push_back(pool.Alloc());
        if (!blocks.back()) ADD_FAILURE() << "allocation " << i << " failed";
    }
    std::sort(blocks.begin(), blocks.end(), [](void* a, void* b) { return Address(a) < Address(b); });
    std::vector<std::vector<void*>> byChunk(chunks);
    for (size_t i = 0; i < blocks.size(); ++i)
        byChunk[i / pool.BlocksPerChunk()].push_back(blocks[i]);
    return byChunk;
}

bool InChunk(const std::vector<void*>& chunk, const void* block) {
    return Address(block) >= Address(chunk.front()) && Address(block) <= Address(chunk.back());
}

TEST(BlockMemory, InitRoundsBlockSizeTo4AndBlocksPerChunkTo32) {
    struct Case {
        uint32_t blockSize, blocksPerChunk;
        bool ok;
        uint32_t wantSize, wantBlocks, wantWords;
    };
    const Case cases[] = {
        {68, 256, true, 68, 256, 8},
        {110, 100, true, 112, 128, 4},
        {1, 1, true, 4, 32, 1},
        {112, 128, true, 112, 128, 4},
        {0, 32, false, 0, 0, 0},            // a zero size would hand out one address twice
        {4, 0, false, 0, 0, 0},
        {UINT32_MAX, 32, false, 0, 0, 0},   // rounding up would wrap to 0
        {4, UINT32_MAX, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.blockSize << " x " << c.blocksPerChunk);
        Utils::BlockMemory pool;
        EXPECT_EQ(pool.Init(4096, c.blockSize, c.blocksPerChunk), c.ok);
        EXPECT_EQ(pool.BlockSize(), c.wantSize);
        EXPECT_EQ(pool.BlocksPerChunk(), c.wantBlocks);
        EXPECT_EQ(pool.BitmapWords(), c.wantWords);
        EXPECT_EQ(pool.ChunkCount(), 0u);
        EXPECT_EQ(pool.Alloc() != nullptr, c.ok);
    }
}

TEST(BlockMemory, AChunkHandsOutItsLastBitmapWordFirstLowestBlockFirst) {
    Utils::BlockMemory pool;
    ASSERT_TRUE(pool.Init(4096, 68, 256));
    std::vector<void*> order;
    for (int i = 0; i < 256; ++i)
        order.push_back(pool.Alloc());
    EXPECT_EQ(pool.ChunkCount(), 1u);
    const uintptr_t start = Address(*std::min_element(order.begin(), order.end()));
    EXPECT_EQ(start % Utils::BlockMemory::kAlignment, 0u);
    EXPECT_EQ(Address(order[0]) - start, 224u * 68) << "block 224 first";
    EXPECT_EQ(Address(order[1]) - start, 225u * 68);
    for (size_t i = 0; i < order.size(); ++i) {
        const uint32_t word = 7 - static_cast<uint32_t>(i) / 32;
        const uint32_t block = word * 32 + static_cast<uint32_t>(i) % 32;
        ASSERT_EQ(Address(order[i]) - start, size_t{block} * 68) << "allocation " << i;
    }
    void* next = pool.Alloc();
    EXPECT_EQ(pool.ChunkCount(), 2u) << "a full pool grows by a chunk";
    EXPECT_TRUE(Address(next) < start || Address(next) >= start + 256 * 68);
    EXPECT_EQ(pool.Used(), 257u);
}

TEST(BlockMemory, FreeRefusesForeignInteriorAndAlreadyFreeBlocks) {
    Utils::BlockMemory pool;
    ASSERT_TRUE(pool.Init(4096, 68, 256));
    auto* block = static_cast<uint8_t*>(pool.Alloc());
    auto* other = static_cast<uint8_t*>(pool.Alloc());
    int foreign = 0;
    EXPECT_FALSE(pool.Free(&foreign));
    EXPECT_FALSE(pool.Free(nullptr));
    EXPECT_FALSE(pool.Free(block + 4)) << "a pointer inside a block";
    EXPECT_FALSE(pool.Free(block + 68 * 40)) << "a block never handed out is free";
    EXPECT_EQ(pool.Used(), 2u);
    EXPECT_TRUE(pool.Free(block));
    EXPECT_EQ(pool.Used(), 1u);
    EXPECT_FALSE(pool.Free(block)) << "freed twice";
    EXPECT_EQ(pool.Used(), 1u);
    EXPECT_EQ(pool.Alloc(), block) << "the freed block is the lowest free one of its word";
    EXPECT_TRUE(pool.Free(other));
}

// Three full chunks of 32; frees from the lowest (L) and the middle (M) chunk bring the used
// count to 80, and the next free re-picks: the fullest chunk that is not full wins, the one
// at the higher address among equals, and the next allocation lands there.
TEST(BlockMemory, TheAllocationChunkIsTheFullestNotFullOneHigherAddressOnTies) {
    struct Case {
        int freedFromLow, freedFromMiddle;
        bool expectMiddle;
    };
    const Case cases[] = {{8, 8, true}, {7, 9, false}, {9, 7, true}, {16, 0, false}, {0, 16, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.freedFromLow << " + " << c.freedFromMiddle);
        Utils::BlockMemory pool;
        ASSERT_TRUE(pool.Init(4096, 16, 32));
        auto chunks = FillChunks(pool, 3);
        for (int i = 0; i < c.freedFromLow; ++i)
            ASSERT_TRUE(pool.Free(chunks[0][i]));
        for (int i = 0; i < c.freedFromMiddle; ++i)
            ASSERT_TRUE(pool.Free(chunks[1][i]));
        ASSERT_EQ(pool.Used(), 80u);
        ASSERT_TRUE(pool.Free(chunks[2][0]));  // used 80: re-pick before this free
        void* next = pool.Alloc();
        EXPECT_TRUE(InChunk(chunks[c.expectMiddle ? 1 : 0], next));
        EXPECT_EQ(pool.ChunkCount(), 3u);
    }
}

// Chunks of 32, threshold 32: once the lowest chunk empties it is given back only when the
// other two hold more than 32 spare blocks.
TEST(BlockMemory, AnEmptyChunkIsGivenBackOnlyBeyondTheReleaseThreshold) {
    struct Case {
        int spareElsewhere;
        uint32_t chunksLeft;
    };
    const Case cases[] = {{0, 3}, {32, 3}, {33, 2}, {63, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spareElsewhere);
        Utils::BlockMemory pool;
        ASSERT_TRUE(pool.Init(32, 8, 32));
        auto chunks = FillChunks(pool, 3);
        for (int i = 0; i < c.spareElsewhere; ++i)
            ASSERT_TRUE(pool.Free(chunks[1 + i / 32][i % 32]));
        for (void* block : chunks[0])
            ASSERT_TRUE(pool.Free(block));
        EXPECT_EQ(pool.ChunkCount(), c.chunksLeft);
        EXPECT_EQ(pool.Used(), 64u - c.spareElsewhere);
        if (c.chunksLeft == 2) {
            EXPECT_FALSE(pool.Free(chunks[0][0])) << "its blocks are gone";
        }
    }
}

TEST(BlockMemory, MarkAllFreeKeepsEveryChunkAndFreeAllButFirstChunkKeepsOne) {
    for (bool keepAll : {true, false}) {
        SCOPED_TRACE(keepAll ? "MarkAllFree" : "FreeAllButFirstChunk");
        Utils::BlockMemory pool;
        ASSERT_TRUE(pool.Init(0, 8, 32));
        auto chunks = FillChunks(pool, 3);
        if (keepAll)
            pool.MarkAllFree();
        else
            pool.FreeAllButFirstChunk();
        EXPECT_EQ(pool.Used(), 0u);
        EXPECT_EQ(pool.ChunkCount(), keepAll ? 3u : 1u);
        EXPECT_EQ(pool.Alloc(), chunks[0][0]) << "block 0 of the lowest chunk: one bitmap word";
        EXPECT_EQ(pool.Used(), 1u);
    }
}

TEST(BlockMemory, FreeAllNeedsInitAgain) {
    Utils::BlockMemory pool;
    EXPECT_EQ(pool.Alloc(), nullptr) << "never initialised";
    pool.FreeAllButFirstChunk();
    pool.MarkAllFree();
    ASSERT_TRUE(pool.Init(16, 24, 64));
    void* block = pool.Alloc();
    ASSERT_NE(block, nullptr);
    pool.FreeAll();
    EXPECT_EQ(pool.ChunkCount(), 0u);
    EXPECT_EQ(pool.BlockSize(), 0u);
    EXPECT_EQ(pool.ReleaseThreshold(), 0u);
    EXPECT_EQ(pool.Alloc(), nullptr);
    EXPECT_FALSE(pool.Free(block));
    ASSERT_TRUE(pool.Init(16, 24, 64));
    EXPECT_NE(pool.Alloc(), nullptr);
    ASSERT_TRUE(pool.Init(16, 24, 64));  // over live chunks: they go back (ASan sees no leak)
    EXPECT_EQ(pool.ChunkCount(), 0u);
}

// Random allocations and frees against a model: every live block is distinct, aligned, keeps
// its contents, and the used count and frees agree with the model.
TEST(BlockMemory, RandomRunKeepsLiveBlocksIntact) {
    Utils::BlockMemory pool;
    ASSERT_TRUE(pool.Init(64, 48, 32));
    std::mt19937 random(15);
    std::map<uintptr_t, uint8_t> live;
    std::vector<void*> order;
    for (int step = 0; step < 20000; ++step) {
        const bool grow = live.size() < 50 || random() % 100 < (step < 10000 ? 55u : 40u);
        if (grow) {
            auto* block = static_cast<uint8_t*>(pool.Alloc());
            ASSERT_NE(block, nullptr);
            ASSERT_EQ(Address(block) % 16, 0u);
            const uint8_t mark = static_cast<uint8_t>(step);
            ASSERT_TRUE(live.emplace(Address(block), mark).second) << "handed out twice";
            std::memset(block, mark, 48);
            order.push_back(block);
        } else {
            const size_t pick = random() % order.size();
            auto* block = static_cast<uint8_t*>(order[pick]);
            order[pick] = order.back();
            order.pop_back();
            const uint8_t mark = live[Address(block)];
            ASSERT_TRUE(block[0] == mark && block[47] == mark) << "overwritten";
            live.erase(Address(block));
            ASSERT_TRUE(pool.Free(block));
            ASSERT_FALSE(pool.Free(block));
        }
        ASSERT_EQ(pool.Used(), live.size());
    }
    for (void* block : order)
        ASSERT_TRUE(pool.Free(block));
    EXPECT_EQ(pool.Used(), 0u);
    EXPECT_LE(pool.ChunkCount(), 4u) << "empty chunks beyond 64 spare blocks went back";
}

}  // namespace
