// One image compressed by nvtt: the byte sizes of every level, pinned for the three kinds
// of output (DXT1, uncompressed, DXT5), the uncompressed levels handed out as 32-bit
// bitmaps, opaque output making only non-zero pixels opaque, and the failures: an empty
// image with nvtt's own text, unsupported formats and a pixel count that does not match.
// The output handler refuses a block past its level and frees a level it was still
// filling when the compression ends without it (the sanitizer run sees any leak).
#include "content3d/textures/texture_compress.h"

#include <gtest/gtest.h>

#include "content3d/textures/nvtt_handlers.h"

#include <vector>

namespace {

std::vector<uint8_t> Pixels(uint32_t width, uint32_t height) {
    std::vector<uint8_t> pixels(size_t{width} * height * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    return pixels;
}

TextureCompress::Settings Settings(int32_t format, bool mipMaps = true) {
    TextureCompress::Settings settings;
    settings.format = format;
    settings.mipMaps = mipMaps;
    return settings;
}

TEST(TextureCompress, LevelByteSizesAreNvttsOwn) {
    const struct {
        const char* what;
        uint32_t width;
        uint32_t height;
        int32_t format;
        std::vector<size_t> bytes;
    } cases[] = {
        {"8x8 DXT1", 8, 8, 10, {32, 8, 8, 8}},
        {"8x8 uncompressed", 8, 8, 1, {256, 64, 16, 4}},
        {"16x8 DXT5", 16, 8, 12, {128, 32, 16, 16, 16}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> pixels = Pixels(c.width, c.height);
        TextureCompress compressed;
        ASSERT_TRUE(compressed.Compress({pixels, c.width, c.height, Kiv::Bitmap::kFormatBGRA},
                                        Settings(c.format)))
            << c.what << ": " << compressed.GetError();
        ASSERT_EQ(compressed.GetLevelCount(), c.bytes.size()) << c.what;
        for (size_t level = 0; level < c.bytes.size(); ++level) {
            const auto bitmap = compressed.GetLevel(level);
            ASSERT_NE(bitmap, nullptr) << c.what;
            EXPECT_EQ(bitmap->GetByteCount(), c.bytes[level]) << c.what << " level " << level;
            EXPECT_EQ(bitmap->GetWidth(), std::max<uint32_t>(1, c.width >> level)) << c.what;
            EXPECT_EQ(bitmap->GetHeight(), std::max<uint32_t>(1, c.height >> level)) << c.what;
        }
        EXPECT_EQ(compressed.GetLevel(c.bytes.size()), nullptr) << c.what;
        EXPECT_TRUE(compressed.GetError().empty()) << c.what;
    }
}

TEST(TextureCompress, WithoutMipMapsOnlyLevelZeroIsMade) {
    std::vector<uint8_t> pixels = Pixels(8, 8);
    TextureCompress compressed;
    ASSERT_TRUE(compressed.Compress({pixels, 8, 8, Kiv::Bitmap::kFormatBGRA}, Settings(10, false)));
    EXPECT_EQ(compressed.GetLevelCount(), 1u);
}

TEST(TextureCompress, UncompressedLevelsAreBgraBitmapsAndOpaqueOutputSparesZeroPixels) {
    // Pixel 0 is wholly 0, pixel 1 has alpha 0 but colour, pixels 2 and 3 are half opaque.
    std::vector<uint8_t> pixels = {0, 0, 0, 0,   10, 20, 30, 0,
                                   40, 50, 60, 128, 70, 80, 90, 128};
    TextureCompress opaque;
    ASSERT_TRUE(opaque.Compress({pixels, 2, 2, Kiv::Bitmap::kFormatBGRA}, Settings(3, false)));
    const auto level = opaque.GetLevel(0);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->GetFormat(), Kiv::Bitmap::kFormatBGRX);
    const std::vector<uint8_t> expected = {0, 0, 0, 0,     10, 20, 30, 255,
                                           40, 50, 60, 255, 70, 80, 90, 255};
    EXPECT_EQ(std::vector<uint8_t>(level->GetPixels(), level->GetPixels() + level->GetByteCount()),
              expected);

    std::vector<uint8_t> keep = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    TextureCompress withAlpha;
    ASSERT_TRUE(withAlpha.Compress({keep, 2, 2, Kiv::Bitmap::kFormatBGRA}, Settings(1, false)));
    const auto kept = withAlpha.GetLevel(0);
    EXPECT_EQ(kept->GetFormat(), Kiv::Bitmap::kFormatBGRA);
    EXPECT_EQ(std::vector<uint8_t>(kept->GetPixels(), kept->GetPixels() + kept->GetByteCount()), keep);
}

TEST(TextureCompress, FailuresSayWhyWhenNvttDoes) {
    TextureCompress empty;
    EXPECT_FALSE(empty.Compress({{}, 0, 0, Kiv::Bitmap::kFormatBGRA}, Settings(10)));
    EXPECT_EQ(empty.GetError(), "Invalid input");
    EXPECT_EQ(empty.GetLevelCount(), 0u);

    std::vector<uint8_t> pixels = Pixels(8, 8);
    const struct {
        const char* what;
        TextureCompress::Image image;
        int32_t format;
    } refused[] = {
        {"format code 2", {pixels, 8, 8, Kiv::Bitmap::kFormatBGRA}, 2},
        {"format code 13", {pixels, 8, 8, Kiv::Bitmap::kFormatBGRA}, 13},
        {"raw bitmap", {pixels, 8, 8, Kiv::Bitmap::kFormatRaw}, 10},
        {"too few pixels", {std::span<uint8_t>(pixels).first(255), 8, 8, Kiv::Bitmap::kFormatBGRA}, 10},
        {"too many pixels", {pixels, 4, 4, Kiv::Bitmap::kFormatBGRA}, 10},
    };
    for (const auto& c : refused) {
        TextureCompress compressed;
        EXPECT_FALSE(compressed.Compress(c.image, Settings(c.format))) << c.what;
        EXPECT_EQ(compressed.GetLevelCount(), 0u) << c.what;
    }
}

TEST(OurOutputHandler, RefusesBlocksPastTheLevelAndFreesAnUnfinishedOne) {
    TextureCompress target;
    {
        OurOutputHandler handler(target);
        const uint8_t block[16] = {};
        handler.beginImage(8, 4, 4, 1, 0, 0);
        EXPECT_TRUE(handler.writeData(block, 8));
        EXPECT_FALSE(handler.HasFailed());
        EXPECT_FALSE(handler.writeData(block, 1));  // past the level's 8 bytes
        EXPECT_TRUE(handler.HasFailed());
        handler.beginImage(8, 2, 2, 1, 0, 1);  // the first level is handed over
        EXPECT_TRUE(handler.writeData(block, 8));
    }  // the second level was never taken: the handler frees it
    EXPECT_EQ(target.GetLevelCount(), 1u);

    TextureCompress none;
    OurOutputHandler refused(none);
    const uint8_t byte = 0;
    EXPECT_FALSE(refused.writeData(&byte, 1));  // no level begun
    refused.beginImage(0, 1, 1, 1, 0, 0);
    EXPECT_TRUE(refused.HasFailed());
}

}  // namespace
