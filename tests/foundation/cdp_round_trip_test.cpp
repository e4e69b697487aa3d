// CDP archives through the binary soup file: two assets, one with stored files and one with
// LZSS files, saved as ".cdp", opened again and extracted byte for byte; the open checks on
// saved files; an asset entry written to a stream and read back.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cdp_test_support.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/streams/t_buffer.h"

namespace {

using cdp_test::Bytes;
using cdp_test::BytesOf;

const Bytes kPrefix = {0, 0, 0, 0};

Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + seed) ^ (i >> 5));
    return bytes;
}

Bytes Compressed(const Bytes& bytes, int level) {
    return cdp_test::Concat({kPrefix, Kiv::LZSSCompress().Compress(bytes, level)});
}

std::string Text(const Kiv::PString& error) {
    return error.c_str();
}

class CDPRoundTrip : public cdp_test::ScratchFolder {};

TEST_F(CDPRoundTrip, SavedAssetsOpenAndExtractByteForByte) {
    const Bytes config = BytesOf("kind \"mesh\"\r\nkuid <kuid:1:1>\r\n");
    const Bytes mesh = Pattern(5000, 3);
    const Bytes texture = Pattern(70000, 9);

    ACSChunkRef stored = cdp_test::Config(KUID(1, 1, 0));
    stored.SetNamedTagString("compression", "");
    ACSChunkRef storedFiles = cdp_test::AddFolder(stored, "files");
    cdp_test::AddBlob(storedFiles, "config.txt", config);
    cdp_test::AddBlob(cdp_test::AddFolder(storedFiles, "mesh"), "body.pm", mesh);
    cdp_test::AddBlob(storedFiles, "empty.txt", {});
    CDPAsset(stored).SetChecksum();

    CDPAsset packed;
    ACSChunkRef packedConfig = packed.GetConfig();
    packedConfig.SetNamedTagKUID("kuid", KUID(1, 2, 3));
    packedConfig.SetNamedTagString("kind", "traincar");
    packedConfig.SetNamedTagInt("engine", 1);
    ACSChunkRef packedFiles = cdp_test::AddFolder(packedConfig, "files");
    cdp_test::AddBlob(packedFiles, "config.txt", Compressed(config, 0));
    cdp_test::AddBlob(cdp_test::AddFolder(packedFiles, "art"), "paint.texture",
                      Compressed(texture, 9));
    cdp_test::AddBlob(packedFiles, "mesh.pm", Compressed(mesh, 3));
    cdp_test::AddBlob(packedFiles, "empty.txt", cdp_test::Concat({kPrefix, {0x00}}));
    packed.SetChecksum();

    CDPArchive archive;
    ASSERT_EQ(Text(archive.AddAsset(stored)), "");
    ASSERT_EQ(Text(archive.AddAsset(packedConfig)), "");
    ACSChunkRef root = archive.GetRoot();
    cdp_test::AddBlob(root, "thumbnail", {0xFF, 0xD8, 0xFF, 0xE0});
    ASSERT_EQ(Text(archive.Save(At("pair.cdp").c_str())), "");

    CDPArchive opened;
    ASSERT_EQ(Text(opened.Open(root_.c_str(), "pair.cdp")), "");
    ASSERT_EQ(opened.CountAssets(), 2);
    EXPECT_EQ(soup_test::BytesOf(opened.GetNamedData("thumbnail")),
              Bytes({0xFF, 0xD8, 0xFF, 0xE0}));
    EXPECT_EQ(cdp_test::KUIDTags(opened.GetRoot().GetNamedSoup("kuid-table")),
              (std::vector<std::pair<std::string, std::string>>{{"0", "<kuid:-10:172>"}}));

    const struct {
        KUID kuid;
        const char* folder;
    } assets[] = {{KUID(1, 1, 0), "stored"}, {KUID(1, 2, 3), "packed"}};
    for (const auto& entry : assets) {
        SCOPED_TRACE(entry.folder);
        const int32_t index = opened.FindAsset(entry.kuid);
        ASSERT_GE(index, 0);
        const CDPAsset asset = opened.GetAsset(index);
        EXPECT_TRUE(asset.VerifyChecksum());
        const Kiv::PString folder((root_ + "/" + entry.folder).c_str());
        EXPECT_EQ(Text(CDPArchive::ExtractFiles(asset.GetFiles(), folder, "",
                                                asset.GetCompression())),
                  "");
        const std::string at = std::string(entry.folder) + "/";
        EXPECT_EQ(Read(at + "config.txt"), config);
        EXPECT_TRUE(Exists(at + "empty.txt"));
        EXPECT_EQ(Read(at + "empty.txt"), Bytes());
    }
    EXPECT_EQ(Read("stored/mesh/body.pm"), mesh);
    EXPECT_EQ(Read("packed/mesh.pm"), mesh);
    EXPECT_EQ(Read("packed/art/paint.texture"), texture);
}

TEST_F(CDPRoundTrip, SavedFilesAreCheckedWhenOpened) {
    const struct {
        const char* what;
        int contents; // entries of "contents-table" beside one asset
        int version;
        const char* kind;
        std::string error;
    } cases[] = {
        {"valid", 1, 1, "archive", ""},
        {"a table of 2 for 1 asset", 2, 1, "archive", "Content could not be read, as the CDP file is damaged"},
        {"package version 2", 1, 2, "archive", "This content requires a newer Kodrin version"},
        {"another kind", 1, 1, "mesh", "Content could not be read, as the file is not a valid CDP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ACSChunkRef root;
        ACSChunkRef assets;
        ACSChunkRef config = cdp_test::Config(KUID(1, 1, 0));
        assets.SetNamedSoup("<kuid:1:1>", config);
        root.SetNamedSoup("assets", assets);
        ACSChunkRef table;
        for (int i = 0; i < c.contents; ++i)
            table.SetNamedTagKUID(Kiv::PString::Setf("%d", i), KUID(1, 1 + i, 0));
        root.SetNamedSoup("contents-table", table);
        root.SetNamedTagString("kind", c.kind);
        root.SetNamedTagInt("package-version", c.version);
        ASSERT_TRUE(root.SaveToFile(root_.c_str(), "check.cdp", nullptr));

        CDPArchive archive;
        EXPECT_EQ(Text(archive.Open(root_.c_str(), "check.cdp")), c.error);
        EXPECT_EQ(archive.GetRoot().IsNull(), !c.error.empty());
    }
}

TEST_F(CDPRoundTrip, AnAssetEntryReadsBackFromAStream) {
    ACSChunkRef config = cdp_test::Config(KUID(4, 5, 6), "scenery");
    cdp_test::AddBlob(cdp_test::AddFolder(config, "files"), "a.txt", BytesOf("abc"));
    TBuffer stream(nullptr);
    EXPECT_TRUE(CDPAsset(config).Write(stream));
    EXPECT_EQ(stream.GetError(), 0);

    stream.Rewind();
    CDPAsset read;
    EXPECT_TRUE(read.Read(stream));
    EXPECT_EQ(read.GetKUID(), KUID(4, 5, 6));
    EXPECT_EQ(std::string(read.GetConfig().GetNamedTag("kind").c_str()), "scenery");
    EXPECT_EQ(soup_test::BytesOf(read.GetFiles().GetNamedTagData("a.txt")), BytesOf("abc"));

    // A stream holding no soup leaves a null config, and still reports true.
    TBuffer empty(nullptr);
    CDPAsset none;
    EXPECT_TRUE(none.Read(empty));
    EXPECT_TRUE(none.GetConfig().IsNull());
}

// Writes the bytes as the archive file, opens it and extracts every asset it lists below
// "target"; whatever the bytes, nothing may land outside that folder.
class CDPHostileFile : public cdp_test::ScratchFolder {
  protected:
    void OpenAndExtract(const Bytes& bytes) {
        std::ofstream(At("hostile.cdp"), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        CDPArchive archive;
        if (!archive.Open(root_.c_str(), "hostile.cdp").IsEmpty()) return;
        const Kiv::PString target((root_ + "/target").c_str());
        for (int32_t i = 0; i < archive.CountAssets(); ++i) {
            const CDPAsset asset = archive.GetAsset(i);
            asset.VerifyChecksum();
            asset.GetKUID();
            CDPArchive::ExtractFiles(asset.GetFiles(), target, "", asset.GetCompression());
        }
    }
    void ExpectNothingOutsideTarget() {
        for (const std::string& entry : Listing()) {
            if (entry == "hostile.cdp") continue;
            EXPECT_EQ(entry.rfind("target", 0), 0u) << entry;
        }
    }
};

TEST_F(CDPHostileFile, PrefixesAndMutationsOfAnArchiveStayInsideTheTarget) {
    ACSChunkRef config = cdp_test::Config(KUID(1, 1, 0));
    ACSChunkRef files = cdp_test::AddFolder(config, "files");
    cdp_test::AddBlob(files, "a.txt", Compressed(BytesOf("first file, first file"), 5));
    cdp_test::AddBlob(cdp_test::AddFolder(files, "sub"), "b.pm", Compressed(Pattern(64, 1), 9));
    config.SetNamedTagString("compression", "LZSS");
    CDPArchive archive;
    ASSERT_EQ(Text(archive.AddAsset(config)), "");
    ASSERT_EQ(Text(archive.Save(At("valid.cdp").c_str())), "");
    std::ifstream in(At("valid.cdp"), std::ios::binary);
    const Bytes valid((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(At("valid.cdp"));
    ASSERT_GT(valid.size(), 16u);

    for (size_t size = 0; size < valid.size(); ++size)
        OpenAndExtract(Bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size)));
    OpenAndExtract(valid);
    EXPECT_EQ(Read("target/sub/b.pm"), Pattern(64, 1));

    std::mt19937 random(20240601);
    for (int round = 0; round < 150; ++round) {
        Bytes mutated = valid;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c)
            mutated[16 + random() % (mutated.size() - 16)] = static_cast<uint8_t>(random());
        OpenAndExtract(mutated);
    }
    ExpectNothingOutsideTarget();
}

} // namespace
