// The FreeType rasteriser through the font cache, on the DejaVu fonts the setup installs:
// real fonts are made (an unknown face falls back to a default one), cover Basic Latin,
// and give "A" a drawn cell. Pixels of real glyphs are not compared.
#include "content3d/fonts/freetype_rasteriser.h"

#include <gtest/gtest.h>

#include "content3d/fonts/font_cache.h"
#include "content3d/fonts/fontconfig_match.h"
#include "engine/display_texture.h"
#include "engine/render_kernel.h"

namespace {

// Whether the cell of a placement holds any opaque pixel.
bool CellHasInk(const TTFont& font, const GlyphPlacement& placement) {
    const Kiv::Bitmap& atlas = *font.GetAtlas();
    const float side = float(font.GetAtlasSize());
    const uint32_t left = uint32_t(placement.u * side), top = uint32_t(placement.v * side);
    for (uint32_t y = top; y < top + uint32_t(placement.height * side); ++y)
        for (uint32_t x = left; x < left + placement.b; ++x)
            if (atlas.PixelAt(x, y)[3] == 255) return true;
    return false;
}

TEST(FreeTypeRasteriser, MakesFontsThatDrawA) {
    FontCache cache(FreeTypeRasteriser::Instance(), nullptr);
    struct Case {
        const char* what;
        const char* face;
        int32_t height;
        uint8_t bold, italic, underline, antiAliased;
    };
    const Case cases[] = {
        {"DejaVu Sans at 12 pixels", "DejaVu Sans", 12, 0, 0, 0, 0},
        {"an unknown face", "No Such Face Anywhere", 12, 0, 0, 0, 0},
        {"bold italic, anti-aliased", "DejaVu Sans", 16, 1, 1, 0, 1},
        {"underlined, em height", "DejaVu Sans", -14, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTFont* font = cache.GetFont(c.bold, c.italic, c.underline, 0, 0, c.antiAliased, c.height,
                                     Kiv::PString(), Kiv::PString(c.face));
        ASSERT_NE(font, nullptr);
        ASSERT_FALSE(font->GetRanges().empty());
        EXPECT_EQ(font->GetRanges()[0], (GlyphRange{0, 0x20, 0x7E})) << "Basic Latin";
        if (c.height > 0) {
            EXPECT_EQ(font->GetHeight(), c.height);
        }
        EXPECT_GT(font->GetAscent(), 0);
        GlyphPlacement a;
        ASSERT_TRUE(font->GetGlyph('A', a));
        EXPECT_GT(a.b, 0u);
        EXPECT_GT(a.a + int32_t(a.b) + a.c, 0);
        EXPECT_GT(a.width, 0.0f);
        EXPECT_TRUE(CellHasInk(*font, a));
        EXPECT_GT(font->MeasureText("AA"), font->MeasureText("A"));
        EXPECT_GT(font->GetSpaceAdvance(), 0);
    }
}

// The program's cache hands a new font the process's render kernel of the time, whose
// display receives the atlas.
TEST(FreeTypeRasteriser, TheProgramsCacheUsesTheProcessKernel) {
    Kiv::RenderKernel kernel(nullptr, 1.0f);
    FontCache::SetProcessRenderKernel(&kernel);
    TTFont* font = FontCache::Instance().GetFont(0, 0, 0, 0, 0, 0, 23, Kiv::PString(),
                                                 Kiv::PString("DejaVu Sans"));
    FontCache::SetProcessRenderKernel(nullptr);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetAtlasTexture()->GetRenderKernel(), &kernel);
    ASSERT_NE(font->GetAtlasTexture()->GetDisplayTexture(), nullptr);
    EXPECT_EQ(font->GetAtlasTexture()->GetDisplayTexture()->GetFormat(), 1);
    TTFont* later = FontCache::Instance().GetFont(0, 0, 0, 0, 0, 0, 24, Kiv::PString(),
                                                  Kiv::PString("DejaVu Sans"));
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->GetAtlasTexture()->GetRenderKernel(), nullptr);
    EXPECT_EQ(later->GetAtlasTexture()->GetDisplayTexture(), nullptr);
}

TEST(FreeTypeRasteriser, ACharacterSetNeedsAFaceForItsLanguage) {
    EXPECT_STREQ(CharSetLanguage(161), "el");
    EXPECT_EQ(CharSetLanguage(2), nullptr);
    RasterFontRequest greek;
    greek.face = u"DejaVu Sans";
    greek.charSet = 161;
    greek.height = 12;
    EXPECT_NE(FreeTypeRasteriser::Instance().CreateFont(greek), nullptr);
    RasterFontRequest huge = greek;
    huge.height = 20000;
    EXPECT_EQ(FreeTypeRasteriser::Instance().CreateFont(huge), nullptr);
}

}  // namespace
