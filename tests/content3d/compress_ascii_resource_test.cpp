// The converting texture resource: which of the description and the owner's options wins
// (the description unless "forceOptions"), the load refused without options or with a bad
// option, the mip chain kept under the conversion job's "-Automip=none", a converted file
// read back field by field against sizes worked out by hand, the modify-map rule, and
// levels that were not produced.
#include "content3d/textures/compress_ascii_resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "content3d/program_plugins.h"
#include "engine/file.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "engine/temp_folder.h"
#include "texture_test_files.h"

namespace {

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);  // the file is little-endian, as this machine
    return value;
}

class CompressAsciiResourceTest : public testing::Test {
protected:
    void SetUp() override {
        KivGetPlugins();
        Kiv::File::Subst("kivconvert", temp.Root().c_str());
        temp.WriteFile("wide.tga", texture_test::Tga(256, 128, 255));
        temp.WriteFile("small.tga", texture_test::Tga(4, 4, 128));
    }
    void TearDown() override {
        for (Kiv::Resource* resource : held) resource->Release();
        Kiv::File::Subst("kivconvert");
    }

    // The converting resource of a description text under the options, locked; null when
    // it does not load.
    CompressAsciiResource* Load(const std::string& description, const char* options) {
        const std::string name = "t" + std::to_string(held.size());
        temp.WriteFile(name + ".convert-tex.txt", description);
        Kiv::Resource* resource = database.Get(Kiv::PString((name + ".convert-tex").c_str()));
        auto* texture = dynamic_cast<CompressAsciiResource*>(resource);
        if (!texture) {
            if (resource) resource->Release();
            return nullptr;
        }
        held.push_back(texture);
        if (options) {
            Kiv::Options parsed;
            parsed.ProcessRaw(options);
            texture->SetOptions(parsed);
        }
        return texture->Lock() ? texture : nullptr;
    }

    Kiv::ResourceSystem system;
    TempFolder temp;
    Kiv::ResourceDatabase database{Kiv::PString("kivconvert")};
    std::vector<Kiv::Resource*> held;
};

TEST_F(CompressAsciiResourceTest, TheDescriptionWinsOverTheOptionsUnlessTheyAreForced) {
    const struct {
        const char* what;
        const char* description;
        const char* options;
        TextureFormatChoice expected;
    } cases[] = {
        {"description's alpha kind", "Primary=wide.tga\nAlphaHint=none",
         "-Compression=auto -AlphaHint=full", {10, false}},
        {"forced alpha kind", "Primary=wide.tga\nAlphaHint=none",
         "-Compression=auto -AlphaHint=full -forceOptions", {12, true}},
        {"description's hint", "Primary=wide.tga\nHint=3\nAlphaHint=none",
         "-Compression=auto -Hint=2", {12, true}},
        {"option's hint where the description has none", "Primary=wide.tga\nAlphaHint=none",
         "-compression=auto -hint=2", {11, true}},
        {"forced Compression over the hint", "Primary=wide.tga\nHint=3\nAlphaHint=none",
         "-Compression=dxt1 -Hint=3 -forceOptions", {10, false}},
        {"derived one-bit alpha", "Primary=wide.tga", "-Compression=auto", {10, true}},
    };
    for (const auto& c : cases) {
        CompressAsciiResource* texture = Load(c.description, c.options);
        ASSERT_NE(texture, nullptr) << c.what;
        EXPECT_EQ(texture->ChooseFormat(), c.expected) << c.what;
        EXPECT_EQ(texture->GetCompressedFormat(), c.expected.format) << c.what;
    }
}

TEST_F(CompressAsciiResourceTest, NoOptionsOrABadOptionFailTheLoad) {
    EXPECT_EQ(Load("Primary=wide.tga", nullptr), nullptr);
    EXPECT_EQ(Load("Primary=wide.tga", "-Compression=auto -Hint=abc"), nullptr);
    EXPECT_EQ(Load("Primary=wide.tga", "-Compression=auto -Tile=x -forceOptions"), nullptr);
    EXPECT_EQ(Load("Primary=missing.tga", "-Compression=auto"), nullptr);
}

TEST_F(CompressAsciiResourceTest, TheJobsAutomipNoneKeepsTheMipChain) {
    CompressAsciiResource* texture = Load("Primary=wide.tga", "-Automip=none -Compression=auto");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetNumMipLevels(), 9u);
    CompressAsciiResource* flat = Load("Primary=wide.tga\nMipFilter=none", "-Automip=none -Compression=auto");
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->GetNumMipLevels(), 1u);
}

TEST_F(CompressAsciiResourceTest, TheConvertedFileHoldsEveryClampedLevel) {
    CompressAsciiResource* texture =
        Load("Primary=wide.tga\nAlphaHint=none\nTile=s", "-Compression=auto -MaxTextureSize=128");
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->Kiv::AsciiTextureResource::GetMipLock());
    ASSERT_TRUE(texture->SaveConverted(Kiv::PString("kivconvert"), Kiv::File::Path("out.texture")))
        << texture->GetCompressError();
    EXPECT_TRUE(texture->GetMipUnlock());
    EXPECT_EQ(texture->GetMip(0, 0), nullptr);  // the compressed levels went with the unlock

    // 256 x 128 limited to 128 x 64, DXT1: 8 levels of 8 bytes per 4 x 4 block.
    const std::string file = temp.ReadFile("out.texture");
    const uint32_t levels[][3] = {{128, 64, 4096}, {64, 32, 1024}, {32, 16, 256}, {16, 8, 64},
                                  {8, 4, 16},      {4, 2, 8},      {2, 1, 8},     {1, 1, 8}};
    size_t size = 12 + 28;
    for (const auto& level : levels) size += 12 + level[2];
    ASSERT_EQ(file.size(), size);
    EXPECT_EQ(file.substr(0, 4), "KIRF");
    EXPECT_EQ(U32(file, 4), size - 8);
    EXPECT_EQ(file.substr(8, 4), "MMTF");
    EXPECT_EQ(U32(file, 12), 1u);    // body version
    EXPECT_EQ(U32(file, 16), 10u);   // DXT1
    EXPECT_EQ(U32(file, 20), 128u);
    EXPECT_EQ(U32(file, 24), 64u);
    EXPECT_EQ(U32(file, 28), 1u);    // images
    EXPECT_EQ(U32(file, 32), 8u);    // levels
    EXPECT_EQ(file.substr(36, 4), std::string("\x00\x02\x01\x00", 4));  // alpha, wrap S, T, normal
    size_t at = 40;
    for (const auto& level : levels) {
        EXPECT_EQ(U32(file, at), level[0]);
        EXPECT_EQ(U32(file, at + 4), level[1]);
        EXPECT_EQ(U32(file, at + 8), level[2]);
        at += 12 + level[2];
    }
}

TEST_F(CompressAsciiResourceTest, ModifyMapOneInvertsTheGreenOfEveryPixelThatIsNotZero) {
    CompressAsciiResource* texture =
        Load("Primary=small.tga\nModifyMap=1\nMipFilter=none", "-Compression=auto");
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->GetMipLock());
    EXPECT_EQ(texture->GetCompressedFormat(), 1);  // 4 x 4 with full alpha: kept uncompressed
    const auto level = texture->GetMip(0, 0);
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->GetByteCount(), 64u);
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            const uint8_t* pixel = level->PixelAt(x, y);
            EXPECT_EQ(pixel[1], 255 - y) << x << "," << y;
            EXPECT_EQ(pixel[0], x);
            EXPECT_EQ(pixel[3], 128);
        }
    }
    EXPECT_EQ(texture->GetMip(0, 1), nullptr);
    EXPECT_EQ(texture->GetMip(1, 0), nullptr);
    EXPECT_TRUE(texture->GetMipUnlock());
}

}  // namespace
