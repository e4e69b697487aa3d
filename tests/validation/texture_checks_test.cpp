// The texture checks on temporary asset folders: converted textures without descriptions
// by build, conversion requests anywhere in the tree, and descriptions whose images the
// tests write (PNG through libpng, BMP byte by byte): case of names, non-ANSI bytes, sizes,
// loading failures and the converted texture that non-editing locations need.
#include <gtest/gtest.h>

#include <png.h>

#include <string>
#include <vector>

#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/texture_checks.h"
#include "validation_test_support.h"

namespace {

using validation_test::ScopedInterfaceText;
using validation_test::TempFolder;

const char* const kTexts =
    "$tet_duplicatetexture                   \"lone %s\"\n"
    "$tet_texture_failedload                 \"load %s\"\n"
    "$tet_non_ansi_texture                   \"ansi %s\"\n"
    "$tet_texture_missing_primary            \"primary %s %s\"\n"
    "$tet_texture_missing_alpha              \"alpha %s %s\"\n"
    "$tet_texture_notpower2                  \"power %s\"\n"
    "$tet_primaryalpha_notsamesize           \"size %s\"\n"
    "$tet_binary_texture_conversion_failed   \"converted %s\"\n";

// A grey PNG of that size.
std::string Png(uint32_t width, uint32_t height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_GRAY;
    const std::vector<uint8_t> pixels(size_t{width} * height, 0x80);
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::string out(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    return out;
}

// A 24-bit bottom-up BMP of that size (width a multiple of 4, so rows need no padding).
std::string Bmp(uint32_t width, uint32_t height) {
    const uint32_t pixelBytes = width * height * 3;
    std::string out = "BM";
    auto put = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(54 + pixelBytes, 4);
    put(0, 4);
    put(54, 4);   // pixel data offset
    put(40, 4);   // information header size
    put(width, 4);
    put(height, 4);
    put(1, 2);    // planes
    put(24, 2);   // bits per pixel
    put(0, 4);    // no compression
    put(pixelBytes, 4);
    put(0, 4);
    put(0, 4);
    put(0, 4);    // colours
    put(0, 4);
    return out + std::string(pixelBytes, '\x40');
}

class TextureChecksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DAROdi::ErrorHandler::CreateInstance();
        DAROdi::DataManager::CreateInstance(folder_.Path("absent/").c_str());
        Manager().buildStamp = 3.3f;
        Manager().notEditingOrBase = false;
    }
    void TearDown() override {
        DAROdi::DataManager::DestroyInstance();
        DAROdi::ErrorHandler::DestroyInstance();
    }
    static DAROdi::DataManager& Manager() { return DAROdi::DataManager::Instance(); }

    void Write(const std::string& relative, const std::string& bytes) {
        folder_.Write("asset/" + relative, bytes);
    }
    // Runs the walk over the asset folder; the findings as "E text" or "W text".
    std::vector<std::string> Check(bool expectPassed) {
        DAROdi::ErrorHandler::Instance()->Clear();
        const Kiv::File::Path root(folder_.Path("asset").c_str());
        EXPECT_EQ(DAROdi::CheckAssetTextures(root, root), expectPassed);
        std::vector<std::string> found;
        for (const DAROdi::ErrorEntry& entry : DAROdi::ErrorHandler::Instance()->GetEntries()) {
            const char* mark = entry.severity == DAROdi::Severity::kError ? "E " : "W ";
            found.push_back(mark + std::string(entry.text.View()));
        }
        return found;
    }
    using Findings = std::vector<std::string>;

    TempFolder folder_;
    ScopedInterfaceText text_{folder_, kTexts};
};

// A converted texture alone is a warning up to build 2.89 and an error from 2.9; beside
// its description it is fine.
TEST_F(TextureChecksTest, ConvertedTextureWithoutDescriptionDependsOnTheBuild) {
    Write("roof.texture", "x");
    Write("sub/wall.texture", "x");
    Write("sub/wall.texture.txt", "");
    const std::pair<float, const char*> cases[] = {
        {2.89f, "W lone roof.texture"}, {2.9f, "E lone roof.texture"}, {3.3f, "E lone roof.texture"}};
    for (const auto& [stamp, finding] : cases) {
        Manager().buildStamp = stamp;
        EXPECT_EQ(Check(false), Findings{finding}) << stamp;
    }
}

TEST_F(TextureChecksTest, ConversionRequestsAreErrorsAnywhereInTheTree) {
    Write("a/b/bridge.convert-tex.txt", "");
    Write("fence.convert-tex.txt", "");
    Write("notes.txt", "\xE9");  // other text files are not examined
    EXPECT_EQ(Check(false), (Findings{"E load a/b/bridge.convert-tex.txt",
                                      "E load fence.convert-tex.txt"}));
}

// Names are lower-cased under the folder and found there whatever case the file has.
TEST_F(TextureChecksTest, ImageNamesInCapitalsFindTheirFiles) {
    Write("Wall.PNG", Png(64, 32));
    Write("Mask.bmp", Bmp(64, 32));
    Write("wall.texture.txt", "Primary=WALL.png\r\nAlpha=mask.BMP\r\nTile=st\r\n");
    EXPECT_EQ(Check(true), Findings{});
}

// A Latin-1 byte anywhere makes the description non-ANSI; the image checks still run.
TEST_F(TextureChecksTest, ALatinOneByteIsReportedAndTheChecksGoOn) {
    Write("wall.texture.txt", "; caf\xE9\r\nPrimary=wall.png\r\nAlpha=gone.png\n");
    Write("wall.png", Png(32, 32));
    EXPECT_EQ(Check(false), (Findings{"E ansi wall.texture.txt",
                                      "E alpha wall.texture.txt gone.png"}));
}

TEST_F(TextureChecksTest, ImageSizesTable) {
    struct Case {
        const char* name;
        std::string primary;
        std::string alpha;
        Findings findings;
    };
    const Case cases[] = {
        {"same sizes", Png(256, 128), Bmp(256, 128), {}},
        {"256x128 against 256x256", Png(256, 128), Png(256, 256), {"E size t.texture.txt"}},
        {"300x256 primary", Bmp(300, 256), Png(256, 256),
         {"E power p.png", "E size t.texture.txt"}},
        {"1x1 is a power of two", Png(1, 1), Png(1, 1), {}},
        {"an alpha that does not load", Png(4, 4), "not an image",
         {"E load a.png"}},
        {"a primary that does not load", "", Png(4, 4), {"E load p.png"}},
    };
    for (const Case& c : cases) {
        Write("p.png", c.primary);
        Write("a.png", c.alpha);
        Write("t.texture.txt", "Primary=p.png\nAlpha=a.png\n");
        EXPECT_EQ(Check(c.findings.empty()), c.findings) << c.name;
    }
}

// Outside the editing and base locations the converted texture must exist; a description
// whose image does not load is not looked at further.
TEST_F(TextureChecksTest, ConvertedTextureIsNeededOutsideEditingAndBase) {
    Write("a.texture.txt", "Primary=a.png\n");
    Write("a.png", Png(8, 8));
    Write("b.texture.txt", "Primary=b.png\n");
    Write("b.png", Png(8, 8));
    Write("b.texture", "converted");
    Write("c.texture.txt", "Primary=c.png\n");
    Write("c.png", "damaged");
    EXPECT_EQ(Check(false), Findings{"E load c.png"});  // editing or base
    Manager().notEditingOrBase = true;
    EXPECT_EQ(Check(false), (Findings{"E converted a.texture.txt", "E load c.png"}));
}

// Missing images, names that leave the folder, and the exact prefixes: "primary=" and
// " Primary=" name nothing.
TEST_F(TextureChecksTest, MissingAndForeignImagesAreMissing) {
    folder_.Write("outside.png", Png(4, 4));
    Write("sub/x.texture.txt", "Primary=none.png\r\nAlpha=../../outside.png\r\n");
    Write("y.texture.txt", "primary=none.png\n Primary=none.png\nAlpha=\n");
    EXPECT_EQ(Check(false), (Findings{"E primary sub/x.texture.txt sub/none.png",
                                      "E alpha sub/x.texture.txt sub/../../outside.png"}));
}

// Only a line's first 512 bytes are examined: a late Latin-1 byte in a long line is not
// seen, and the rest of that line is not read as a line of its own.
TEST_F(TextureChecksTest, OnlyTheFirst512BytesOfALineCount) {
    Write("t.texture.txt", std::string(512, ';') + "\xE9Primary=none.png\n");
    EXPECT_EQ(Check(true), Findings{});
    Write("t.texture.txt", std::string(511, ';') + "\xE9\n");
    EXPECT_EQ(Check(false), Findings{"E ansi t.texture.txt"});
}

TEST(ShownTexturePathTest, PathsBelowTheRootUseSlashes) {
    const std::pair<const char*, const char*> cases[] = {
        {"/r/a/b.texture", "a/b.texture"},
        {"/r\\a\\b.texture", "a/b.texture"},
        {"/r", ""},
    };
    for (const auto& [full, shown] : cases)
        EXPECT_EQ(DAROdi::ShownTexturePath(Kiv::File::Path("/r"), Kiv::File::Path(full)), shown);
}

} // namespace
