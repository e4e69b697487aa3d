// The "dsid" checksum: word sums with the 1-left/30-right rotation, combining, trees and
// the asset's checksum text, against values worked out by hand.
#include "foundation/cdp/chunk_checksum.h"

#include <gtest/gtest.h>

#include "cdp_test_support.h"
#include "foundation/cdp/cdp_asset.h"

namespace {

using cdp_test::Bytes;

ChunkChecksum Of(const Bytes& bytes) {
    return ChunkChecksum::OfBytes(static_cast<uint32_t>(bytes.size()), bytes.data());
}

TEST(ChunkChecksum, OfBytesSumsRotatedLittleEndianWords) {
    struct Case {
        const char* what;
        Bytes bytes;
        int32_t hash;
        int32_t length;
    };
    const Case cases[] = {
        {"empty", {}, 0, 0},
        {"4 bytes or fewer count as nothing", {1, 2, 3, 4}, 0, 0},
        {"8 zero bytes: a hash of 0 becomes 1", Bytes(8, 0), 1, 8},
        {"the tail beyond whole words is left out", {1, 0, 0, 0, 0xFF}, 2, 4},
        // 0x80000000 rotated: the top bit goes, bit 1 comes from the shift by 30; then 2 -> 4.
        {"shift right by 30, not 31", {0, 0, 0, 0x80, 0, 0, 0, 0}, 4, 8},
        // 0xC0000000 -> 0x80000003, read as a signed hash.
        {"the hash is signed", {0, 0, 0, 0xC0, 7}, -2147483645, 4},
        // 0xFFFFFFFF -> 0xFFFFFFFF; + 2 wraps to 1 -> 2.
        {"the sum wraps at 32 bits", {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0}, 2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChunkChecksum sum = Of(c.bytes);
        EXPECT_EQ(sum.hash, c.hash);
        EXPECT_EQ(sum.length, c.length);
    }
}

TEST(ChunkChecksum, CombineAddsAndNeverGivesHashZero) {
    const ChunkChecksum zero;
    EXPECT_EQ(ChunkChecksum::Combine(zero, zero), (ChunkChecksum{1, 0}));
    EXPECT_EQ(ChunkChecksum::Combine({5, 8}, {-5, 4}), (ChunkChecksum{1, 12}));
    EXPECT_EQ(ChunkChecksum::Combine({3, 8}, {4, 4}), (ChunkChecksum{7, 12}));
    EXPECT_EQ(ChunkChecksum::Combine({INT32_MAX, 4}, {1, 4}), (ChunkChecksum{INT32_MIN, 8}));
    ChunkChecksum sum{9, 9};
    sum.Clear();
    EXPECT_EQ(sum, zero);
}

TEST(ChunkChecksum, ToStringIsLengthThenHash) {
    EXPECT_EQ(std::string(ChunkChecksum{7, 12}.ToString().c_str()), "12:7");
    EXPECT_EQ(std::string(ChunkChecksum{-2147483645, 4}.ToString().c_str()), "4:-2147483645");
    EXPECT_EQ(std::string(ChunkChecksum{}.ToString().c_str()), "0:0");
}

TEST(ChunkChecksum, OfTreeCombinesBlobsOfEveryFolderIgnoringNames) {
    ACSChunkRef files;
    ACSChunkRef folder = cdp_test::AddFolder(files, "a");
    cdp_test::AddBlob(folder, "x.txt", {1, 0, 0, 0, 0, 0, 0, 0}); // 1 -> 2, 0 -> 4: 4, 8
    cdp_test::AddBlob(files, "y.txt", {1, 0, 0, 0, 0xFF});        // 2, 4
    files.SetNamedTagString("note", "text tags do not count");
    // The folder: (0, 0) + (4, 8) = (4, 8); the root: (0, 0) + (4, 8) + (2, 4) = (6, 12).
    EXPECT_EQ(ChunkChecksum::OfTree(files), (ChunkChecksum{6, 12}));

    ACSChunkRef renamed;
    ACSChunkRef other = cdp_test::AddFolder(renamed, "b");
    cdp_test::AddBlob(other, "z.bmp", {1, 0, 0, 0, 0, 0, 0, 0});
    cdp_test::AddBlob(renamed, "w.gs", {1, 0, 0, 0, 0xFF});
    EXPECT_EQ(ChunkChecksum::OfTree(renamed), ChunkChecksum::OfTree(files));

    EXPECT_EQ(ChunkChecksum::OfTree(ACSChunkRef()), ChunkChecksum{});
    // An empty folder combines two zero sums: hash 1.
    ACSChunkRef withEmptyFolder;
    cdp_test::AddFolder(withEmptyFolder, "empty");
    EXPECT_EQ(ChunkChecksum::OfTree(withEmptyFolder), (ChunkChecksum{1, 0}));
}

TEST(ChunkChecksum, OfTreeTakesTheFirstChildOfEachName) {
    ACSChunkRef files;
    cdp_test::AddBlob(files, "same.txt", {1, 0, 0, 0, 0xFF});             // 2, 4
    cdp_test::AddBlob(files, "same.txt", {0, 0, 0, 0x80, 0, 0, 0, 0});    // never read
    EXPECT_EQ(ChunkChecksum::OfTree(files), (ChunkChecksum{4, 8}));
}

TEST(ChunkChecksum, AssetChecksumIsTheDsidText) {
    CDPAsset bare;
    EXPECT_EQ(std::string(bare.FilesChecksum().ToString().c_str()), "0:0");
    bare.SetChecksum();
    EXPECT_EQ(std::string(bare.GetConfig().GetNamedTag("dsid").c_str()), "0:0");

    ACSChunkRef config = cdp_test::Config(KUID(1, 2, 0));
    ACSChunkRef files = cdp_test::AddFolder(config, "files");
    cdp_test::AddBlob(files, "a.txt", {1, 0, 0, 0, 0xFF});
    CDPAsset asset(config);
    EXPECT_FALSE(asset.VerifyChecksum());
    asset.SetChecksum();
    EXPECT_EQ(std::string(config.GetNamedTag("dsid").c_str()), "4:2");
    EXPECT_TRUE(asset.VerifyChecksum());

    config.SetNamedTagString("dsid", "4:2 ");
    EXPECT_FALSE(asset.VerifyChecksum());
    config.SetNamedTagString("dsid", "4:2");
    cdp_test::AddBlob(files, "b.txt", {1, 0, 0, 0, 0xFF});
    EXPECT_FALSE(asset.VerifyChecksum());
}

} // namespace
