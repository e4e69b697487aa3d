// Frame memory: the charge of size + alignment - 1, the chunk-size limit (and its check
// against a wrapped charge), moving to a new chunk, and the dead state after Release.
#include "foundation/utils/frame_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(FrameMemory, AllocChargesSizePlusAlignmentMinusOneAndAlignsTheResult) {
    Utils::FrameMemory frame;
    ASSERT_EQ(frame.ChunkSize(), 2048u);
    void* dataStart = frame.Alloc(0, 1);  // charge 0: the chunk's first data byte
    ASSERT_NE(dataStart, nullptr);
    void* piece = frame.Alloc(10, 8);
    const uintptr_t firstMultiple = (Address(dataStart) + 7) & ~uintptr_t{7};
    EXPECT_EQ(Address(piece), firstMultiple);
    EXPECT_EQ(frame.Total(), 17u);
    EXPECT_EQ(frame.Count(), 2u);
    EXPECT_EQ(Address(frame.Alloc(1, 1)), Address(dataStart) + 17)
        << "the whole charge is used, whatever gap the alignment needed";
    void* even = frame.Alloc(5, 2);
    EXPECT_EQ(Address(even) % 2, 0u);
}

TEST(FrameMemory, RequestsBeyondTheChunkSizeFailWithoutWrapping) {
    struct Case {
        size_t size;
        size_t alignment;
        bool fits;
    };
    const Case cases[] = {
        {2041, 8, true},            // charge exactly 2048
        {2042, 8, false},           // charge 2049
        {2048, 1, true},
        {2049, 1, false},
        {SIZE_MAX - 6, 8, false},   // size + 7 wraps to 0
        {SIZE_MAX, 1, false},
        {SIZE_MAX, 2, false},       // size + 1 wraps to 0
        {16, 0, false},             // not a power of two
        {16, 12, false},
        {0, 4096, false},           // the alignment alone exceeds the chunk
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " aligned " << c.alignment);
        Utils::FrameMemory frame;
        void* piece = frame.Alloc(c.size, c.alignment);
        EXPECT_EQ(piece != nullptr, c.fits);
        EXPECT_EQ(frame.Total(), c.fits ? uint32_t(c.size + c.alignment - 1) : 0u);
        EXPECT_NE(frame.Alloc(1, 1), nullptr) << "a refused request leaves the frame usable";
    }
}

TEST(FrameMemory, APieceThatDoesNotFitOpensANewChunkAndTheRestIsNotUsedAgain) {
    Utils::FrameMemory frame;
    auto* first = static_cast<uint8_t*>(frame.Alloc(2000, 1));
    ASSERT_NE(first, nullptr);
    std::memset(first, 0xA5, 2000);
    auto* second = static_cast<uint8_t*>(frame.Alloc(100, 1));
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second + 100 <= first || second >= first + 2048) << "a new chunk";
    std::memset(second, 0x5A, 100);
    EXPECT_EQ(static_cast<uint8_t*>(frame.Alloc(10, 1)), second + 100)
        << "the 48 bytes left in the first chunk are abandoned";
    EXPECT_EQ(frame.Total(), 2110u);
    EXPECT_EQ(frame.Count(), 3u);
    EXPECT_EQ(first[1999], 0xA5);
}

TEST(FrameMemory, AfterReleaseNothingIsAllocatedUntilInit) {
    Utils::FrameMemory frame;
    ASSERT_NE(frame.StrDup("name"), nullptr);
    frame.Release();
    EXPECT_EQ(frame.ChunkSize(), 0u);
    EXPECT_EQ(frame.Total(), 0u);
    EXPECT_EQ(frame.Count(), 0u);
    EXPECT_EQ(frame.Alloc(0, 1), nullptr);
    EXPECT_EQ(frame.Alloc(1, 1), nullptr);
    EXPECT_EQ(frame.StrDup("x"), nullptr);
    frame.Init(4096);
    EXPECT_EQ(frame.ChunkSize(), 4096u);
    EXPECT_NE(frame.Alloc(4096, 1), nullptr);
    frame.Init(64);  // Init over live chunks gives them back first (ASan sees no leak)
    EXPECT_EQ(frame.Alloc(65, 1), nullptr);
    EXPECT_NE(frame.Alloc(64, 1), nullptr);
}

TEST(FrameMemory, StrDupCopiesTheTextWithItsTerminator) {
    Utils::FrameMemory frame;
    const char* copy = frame.StrDup("identifier");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "identifier");
    EXPECT_EQ(frame.Total(), 11u);
    EXPECT_EQ(frame.StrDup(nullptr), nullptr);
    EXPECT_STREQ(frame.StrDup(""), "");
}

}  // namespace
