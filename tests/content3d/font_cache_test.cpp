// The font cache and TTFont::Init over the fake rasteriser: the retry with the default
// character set and every failure's log line, what the rasteriser is asked for, one font
// per request (a failure is not cached), the cell and atlas sizes, and the atlas uploaded
// to the render kernel's display.
#include "content3d/fonts/font_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "content3d/fonts/char_sets.h"
#include "engine/bitmap.h"
#include "engine/display_texture.h"
#include "engine/log.h"
#include "engine/options.h"
#include "engine/render_kernel.h"
#include "fake_glyph_rasteriser.h"

namespace {

class FontCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/font_cache_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        Kiv::Options options;
        options.ProcessRaw(("-LogFile=" + (folder_ / "log.txt").string()).c_str());
        ASSERT_TRUE(Kiv::Log::Init(options));
    }
    void TearDown() override {
        Kiv::Log::Shutdown();
        std::filesystem::remove_all(folder_);
    }

    std::string Logged() const {
        std::ifstream in(folder_ / "log.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TTFont* Get(FontCache& cache, const char* charSet, const char* face, int32_t height = 12,
                uint8_t antiAliased = 0) {
        return cache.GetFont(0, 0, 0, 0, 0, antiAliased, height, Kiv::PString(charSet),
                             Kiv::PString(face));
    }

    std::filesystem::path folder_;
    FakeGlyphRasteriser rasteriser_;
};

TEST_F(FontCacheTest, EachFailureLogsWhyAndIsNotCached) {
    struct Case {
        const char* what;
        const char* charSet;
        void (*arrange)(FakeGlyphRasteriser&);
        bool made;
        std::vector<int32_t> charSetsAsked;
        std::string log;
    };
    const Case cases[] = {
        {"greek refused, then the default set too", "greek",
         [](FakeGlyphRasteriser& r) { r.refuseAll = true; }, false, {161, 1},
         "TTFont::Init> 'Arial' CreateFontW failed\n"
         "TTFont::Init> 'Arial' retrying with DEFAULT_CHARSET\n"
         "TTFont::Init> 'Arial' CreateFontW failed\n"
         "TTFont::Init> 'Arial' failed retry\n"},
        {"greek refused, the default set made", "greek",
         [](FakeGlyphRasteriser& r) { r.refusedCharSets = {161}; }, true, {161, 1},
         "TTFont::Init> 'Arial' CreateFontW failed\n"
         "TTFont::Init> 'Arial' retrying with DEFAULT_CHARSET\n"},
        {"the default set refused is not retried", nullptr,
         [](FakeGlyphRasteriser& r) { r.refuseAll = true; }, false, {1},
         "TTFont::Init> 'Arial' CreateFontW failed\nTTFont::Init> 'Arial' failed retry\n"},
        {"metrics", nullptr, [](FakeGlyphRasteriser& r) { r.metricsFail = true; }, false, {1},
         "TTFont::Init> 'Arial' GetTextMetricsW failed\n"},
        {"character set", nullptr, [](FakeGlyphRasteriser& r) { r.charSetAnswer = 1; }, false,
         {1}, "TTFont::Init> 'Arial' DEFAULT_CHARSET\n"},
        {"widths of the second range", nullptr,
         [](FakeGlyphRasteriser& r) {
             r.bits.Set(9);
             r.failWidthsCall = 1;
         },
         false, {1}, "TTFont::Init> 'Arial' Unable to get char widths for range 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        rasteriser_ = FakeGlyphRasteriser{};
        c.arrange(rasteriser_);
        FontCache cache(rasteriser_, nullptr);
        TTFont* font = Get(cache, c.charSet, "Arial");
        EXPECT_EQ(font != nullptr, c.made);
        EXPECT_EQ(cache.GetRowCount(), c.made ? 1u : 0u);
        std::vector<int32_t> asked;
        for (const RasterFontRequest& request : rasteriser_.requests) asked.push_back(request.charSet);
        EXPECT_EQ(asked, c.charSetsAsked);
        EXPECT_EQ(Logged(), c.log);
        if (c.made) continue;
        const size_t before = rasteriser_.requests.size();
        EXPECT_EQ(Get(cache, c.charSet, "Arial"), nullptr);
        EXPECT_GT(rasteriser_.requests.size(), before) << "a failure is tried again";
    }
}

TEST_F(FontCacheTest, TheRequestCarriesTheStyle) {
    FontCache cache(rasteriser_, nullptr);
    ASSERT_NE(cache.GetFont(1, 1, 1, 1, 1, 1, -20, Kiv::PString("Russian"),
                            Kiv::PString("Caf\xE9")),
              nullptr);
    ASSERT_NE(cache.GetFont(0, 0, 0, 0, 0, 0, 9, Kiv::PString(), Kiv::PString()), nullptr);
    ASSERT_EQ(rasteriser_.requests.size(), 2u);
    const RasterFontRequest& styled = rasteriser_.requests[0];
    EXPECT_EQ(styled.face, u"Caf\u00E9");
    EXPECT_EQ(styled.charSet, 204);
    EXPECT_EQ(styled.height, -20);
    EXPECT_EQ(styled.weight, 700);
    EXPECT_TRUE(styled.italic && styled.underline && styled.strikeOut && styled.antiAliased);
    const RasterFontRequest& plain = rasteriser_.requests[1];
    EXPECT_EQ(plain.face, u"");
    EXPECT_EQ(plain.charSet, 1);
    EXPECT_EQ(plain.height, 9);
    EXPECT_EQ(plain.weight, 400);
    EXPECT_FALSE(plain.italic || plain.underline || plain.strikeOut || plain.antiAliased);
    EXPECT_EQ(cache.GetFont(0, 0, 0, 0, 0, 0, 9, Kiv::PString(), Kiv::PString())->GetStyleFlags(), 0u);
    EXPECT_EQ(cache.GetFont(1, 1, 1, 1, 1, 1, -20, Kiv::PString("Russian"),
                            Kiv::PString("Caf\xE9"))->GetStyleFlags(),
              1u + 2 + 4 + 32 + 64 + 128);
}

TEST_F(FontCacheTest, CharacterSetNames) {
    const std::pair<const char*, int32_t> names[] = {
        {"ansi", 0},         {"baltic", 186},   {"big5", 136},      {"default", 1},
        {"easteurope", 238}, {"russian", 204},  {"thai", 222},      {"gb2312", 134},
        {"greek", 161},      {"hangul", 129},   {"mac", 77},        {"oem", 255},
        {"arabic", 178},     {"shiftjis", 128}, {"symbol", 2},      {"turkish", 162},
        {"vietnamese", 163}, {"johab", 130},    {"hebrew", 177},    {"GREEK", 161},
        {"ShiftJis", 128},   {"latin", 1},      {"", 1},            {nullptr, 1},
    };
    for (const auto& [name, charSet] : names)
        EXPECT_EQ(CharSetFromName(name), charSet) << (name ? name : "(null)");
}

TEST_F(FontCacheTest, OneFontPerRequest) {
    FontCache cache(rasteriser_, nullptr);
    TTFont* first = Get(cache, "greek", "Arial");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Get(cache, "greek", "Arial"), first);
    TTFont* smooth = Get(cache, "greek", "Arial", 12, 1);
    ASSERT_NE(smooth, nullptr);
    EXPECT_NE(smooth, first);
    EXPECT_NE(Get(cache, "Greek", "Arial"), first) << "names are compared as they are";
    EXPECT_NE(Get(cache, nullptr, "Arial"), first);
    EXPECT_NE(Get(cache, "greek", "arial"), first);
    EXPECT_NE(Get(cache, "greek", "Arial", 13), first);
    EXPECT_EQ(cache.GetRowCount(), 6u);
    // Rows beyond the first block of 16 are found as well.
    std::vector<TTFont*> more;
    for (int32_t height = 20; height < 40; ++height) more.push_back(Get(cache, "greek", "Arial", height));
    for (int32_t height = 20; height < 40; ++height)
        EXPECT_EQ(Get(cache, "greek", "Arial", height), more[height - 20]);
    EXPECT_EQ(Get(cache, "greek", "Arial"), first);
    EXPECT_EQ(cache.GetRowCount(), 26u);
    EXPECT_EQ(rasteriser_.requests.size(), 26u);
}

TEST_F(FontCacheTest, CellAndAtlasSizes) {
    struct Case {
        const char* what;
        int32_t height;      // the metrics' height
        uint32_t widest;     // widest body
        uint8_t shadow, underline;
        int32_t fontHeight, cellWidth, atlasSize, columns, rows;
    };
    const Case cases[] = {
        {"12 high, widest 9", 12, 9, 0, 0, 12, 10, 128, 12, 9},
        {"with a shadow", 12, 9, 1, 0, 13, 11, 128, 11, 9},
        {"underlined: the advance is the body", 12, 9, 0, 1, 12, 13, 128, 9, 9},
        {"small enough for 64", 6, 6, 0, 0, 6, 7, 64, 9, 9},
        {"never beyond 512", 200, 150, 0, 0, 200, 151, 512, 3, 2},
        {"no cell fits", 600, 9, 0, 0, 600, 10, 512, 51, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rasteriser_ = FakeGlyphRasteriser{};
        rasteriser_.metrics = {c.height, c.height - 2};
        rasteriser_.missingWidths = {1, 2, 1};
        rasteriser_.glyphs['W'] = {{1, c.widest, 1}, {}};
        FontCache cache(rasteriser_, nullptr);
        TTFont* font = cache.GetFont(0, 0, c.underline, 0, c.shadow, 0, c.height, {}, "Face");
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetHeight(), c.fontHeight);
        EXPECT_EQ(font->GetAscent(), c.height - 2);
        EXPECT_EQ(font->GetCellWidth(), c.cellWidth);
        EXPECT_EQ(font->GetAtlasSize(), c.atlasSize);
        EXPECT_EQ(font->GetColumns(), c.columns);
        EXPECT_EQ(font->GetRows(), c.rows);
        EXPECT_EQ(font->GetTexelScale(), 1.0f / float(c.atlasSize));
        ASSERT_NE(font->GetAtlas(), nullptr);
        EXPECT_EQ(font->GetAtlas()->GetWidth(), uint32_t(c.atlasSize));
        EXPECT_EQ(font->GetAtlas()->GetHeight(), uint32_t(c.atlasSize));
        ASSERT_EQ(font->GetCells().size(), size_t(c.columns) * size_t(c.rows));
        if (font->GetCells().empty()) continue;
        const GlyphCell& last = font->GetCells().back();
        EXPECT_EQ(last.x, c.cellWidth * (c.columns - 1));
        EXPECT_EQ(last.y, (c.rows - 1) * (c.fontHeight + 1));
        EXPECT_EQ(font->GetAtlasTexture()->GetFormat(), 1);
    }
}

// A new font's atlas becomes a display texture of format 1 on the kernel's display, filled
// with the atlas at once; a texture the display cannot make or fill is not kept, and the
// font is made all the same. Without a kernel there is no display texture.
TEST_F(FontCacheTest, TheAtlasIsUploadedToTheKernelsDisplay) {
    const std::string create = "CreateDisplayTexture 1";
    const std::string surface = "CreateSurface 1 128 128 1 0 0 0 0 0 0 0 0 0 0 0";
    const std::string upload = "UploadTexture 1 0 1";
    struct Case {
        const char* what;
        bool kernel, surfaceFails, uploadFails;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"uploaded", true, false, false, {create, surface, upload}},
        {"no surface", true, true, false, {create, surface}},
        {"no upload", true, false, true, {create, surface, upload}},
        {"no kernel", false, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Kiv::RenderKernel kernel(nullptr, 1.0f);
        Kiv::Display& display = *kernel.GetDisplay();
        display.SetRecording(true);
        display.SetTextureSurfaceFailure(c.surfaceFails);
        display.SetTextureUploadFailure(c.uploadFails);
        rasteriser_ = FakeGlyphRasteriser{};
        rasteriser_.metrics = {12, 10};
        rasteriser_.glyphs['W'] = {{1, 9, 1}, {}};
        const bool uploaded = c.kernel && !c.surfaceFails && !c.uploadFails;
        const int textures = Kiv::DisplayTexture::GetLiveCount();
        {
            FontCache cache(rasteriser_, c.kernel ? &kernel : nullptr);
            TTFont* font = Get(cache, nullptr, "Face");
            ASSERT_NE(font, nullptr);
            const FontAtlasTexture* atlas = font->GetAtlasTexture();
            ASSERT_NE(atlas, nullptr);
            EXPECT_EQ(atlas->GetRenderKernel(), c.kernel ? &kernel : nullptr);
            EXPECT_EQ(display.GetCallLog(), c.log);
            EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), textures + (uploaded ? 1 : 0));
            const Kiv::DisplayTexture* texture = atlas->GetDisplayTexture();
            ASSERT_EQ(texture != nullptr, uploaded);
            if (texture) {
                EXPECT_EQ(texture->GetFormat(), 1);
                const Kiv::Bitmap* level = texture->GetLevel(0);
                ASSERT_NE(level, nullptr);
                EXPECT_EQ(level->GetWidth(), 128u);
                EXPECT_EQ(level->GetHeight(), 128u);
            }
        }
        EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), textures);
    }
}

}  // namespace
