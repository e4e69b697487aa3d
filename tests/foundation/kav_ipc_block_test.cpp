// The shared block's byte layout: every field little-endian at its offset, the initial
// values of a new block as bytes written by hand, and the low-byte edits of the attach
// count that keep the three bytes above it.
#include "foundation/ipc/kav_ipc_block.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

struct alignas(4) Bytes {
    std::array<unsigned char, KAVIpcBlock::kSize> data{};
};

TEST(KAVIpcBlock, FieldsAreLittleEndianAtTheirOffsets) {
    const struct {
        KAVIpcBlock::Field field;
        size_t offset;
    } fields[] = {
        {KAVIpcBlock::kHolderId, 0},      {KAVIpcBlock::kOwnerId, 4},
        {KAVIpcBlock::kRequesterId, 8},   {KAVIpcBlock::kReserved12, 12},
        {KAVIpcBlock::kBlockVersion, 16}, {KAVIpcBlock::kAttachCount, 20},
        {KAVIpcBlock::kRefuseFlag, 24},   {KAVIpcBlock::kReserved28, 28},
        {KAVIpcBlock::kDaemonPort, 32},
    };
    for (const auto& f : fields) {
        Bytes bytes;
        KAVIpcBlock block(bytes.data.data());
        block.Set(f.field, 0x12345678);
        std::array<unsigned char, KAVIpcBlock::kSize> expected{};
        expected[f.offset] = 0x78;
        expected[f.offset + 1] = 0x56;
        expected[f.offset + 2] = 0x34;
        expected[f.offset + 3] = 0x12;
        EXPECT_EQ(bytes.data, expected) << "offset " << f.offset;
        EXPECT_EQ(block.Get(f.field), 0x12345678);
    }
}

TEST(KAVIpcBlock, InitialiseWritesTheValuesOfANewBlock) {
    Bytes bytes;
    bytes.data.fill(0xAB);
    KAVIpcBlock block(bytes.data.data());
    block.Initialise(0x01020304);
    const std::array<unsigned char, KAVIpcBlock::kSize> expected = {
        0x04, 0x03, 0x02, 0x01, // holder: the initialiser
        0xFF, 0xFF, 0xFF, 0xFF, // owner: none
        0xFF, 0xFF, 0xFF, 0xFF, // requester: none
        0x00, 0x00, 0x00, 0x00, // reserved
        0x03, 0x00, 0x00, 0x00, // version 3
        0x01, 0x00, 0x00, 0x00, // attach count 1
        0x00, 0x00, 0x00, 0x00, // refuse flag
        0x00, 0x00, 0x00, 0x00, // reserved
        0x00, 0x00, 0x00, 0x00, // port: none
    };
    EXPECT_EQ(bytes.data, expected);
    block.Zero();
    EXPECT_EQ(bytes.data, (std::array<unsigned char, KAVIpcBlock::kSize>{}));
}

TEST(KAVIpcBlock, LowByteEditsKeepTheUpperBytes) {
    Bytes bytes;
    KAVIpcBlock block(bytes.data.data());
    block.Set(KAVIpcBlock::kAttachCount, static_cast<int32_t>(0xA1B2C3FFu));
    block.AddToLowByte(KAVIpcBlock::kAttachCount, 1);
    EXPECT_EQ(static_cast<uint32_t>(block.Get(KAVIpcBlock::kAttachCount)), 0xA1B2C300u);
    block.AddToLowByte(KAVIpcBlock::kAttachCount, -1);
    EXPECT_EQ(static_cast<uint32_t>(block.Get(KAVIpcBlock::kAttachCount)), 0xA1B2C3FFu);
    block.SetLowByte(KAVIpcBlock::kAttachCount, 0x07);
    EXPECT_EQ(static_cast<uint32_t>(block.Get(KAVIpcBlock::kAttachCount)), 0xA1B2C307u);
    EXPECT_EQ(block.GetLowByte(KAVIpcBlock::kAttachCount), 0x07);
}

TEST(KAVIpcBlock, CompareAndSetReplacesOnlyTheExpectedValue) {
    Bytes bytes;
    KAVIpcBlock block(bytes.data.data());
    block.Set(KAVIpcBlock::kOwnerId, 42);
    EXPECT_FALSE(block.CompareAndSet(KAVIpcBlock::kOwnerId, 41, -1));
    EXPECT_EQ(block.Get(KAVIpcBlock::kOwnerId), 42);
    EXPECT_TRUE(block.CompareAndSet(KAVIpcBlock::kOwnerId, 42, -1));
    EXPECT_EQ(block.Get(KAVIpcBlock::kOwnerId), -1);
}

} // namespace
