// TTFont::GetGlyph over the fake rasteriser: what it reports without a cell, where glyphs
// go, what is drawn for U+2019, U+2013 and missing code points, a failed draw, a full atlas
// and the use order, and the conversion of drawn pixels (shadow, anti-aliasing, underline
// joins).
#include "content3d/fonts/tt_font.h"

#include <gtest/gtest.h>

#include "fake_glyph_rasteriser.h"

namespace {

// A pixel as one letter: W white opaque, w white transparent, 0 nothing, G grey opaque,
// S black opaque (shadow under full coverage), s black half-transparent.
char Code(const uint8_t* p) {
    const auto is = [p](uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
        return p[0] == b && p[1] == g && p[2] == r && p[3] == a;
    };
    if (is(255, 255, 255, 255)) return 'W';
    if (is(255, 255, 255, 0)) return 'w';
    if (is(0, 0, 0, 0)) return '0';
    if (is(128, 128, 128, 255)) return 'G';
    if (is(0, 0, 0, 255)) return 'S';
    if (is(0, 0, 0, 128)) return 's';
    return '?';
}

class TTFontGlyphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rasteriser_.glyphs['A'] = {{1, 7, 2}, {"#"}};
        rasteriser_.glyphs['B'] = {{2, 6, 3}, {}};
        rasteriser_.glyphs['-'] = {{1, 4, 1}, {}};
        rasteriser_.glyphs['?'] = {{0, 5, 2}, {}};
        rasteriser_.glyphs['\''] = {{1, 1, 1}, {}};
        rasteriser_.glyphs[' '] = {{0, 0, 4}, {}};
        rasteriser_.glyphs['Z'] = {{0, 0, 0}, {}};
    }

    std::unique_ptr<TTFont> Make(uint32_t flags = 0) {
        auto font = std::make_unique<TTFont>(rasteriser_, nullptr);
        EXPECT_TRUE(font->Init(nullptr, "Face", rasteriser_.metrics.height, flags));
        return font;
    }

    FakeGlyphRasteriser rasteriser_;
};

TEST_F(TTFontGlyphTest, GlyphsWithoutACell) {
    const auto font = Make();
    const auto underlined = Make(TTFont::kUnderline);
    struct Case {
        const char* what;
        TTFont* font;
        uint32_t codePoint;
        uint32_t b;
    };
    const Case cases[] = {
        {"a control character", font.get(), 0x01, 0},
        {"a tab", font.get(), 0x09, 4},
        {"a space", font.get(), 0x20, 4},
        {"an ideographic space", font.get(), 0x3000, 4},
        {"a glyph of no advance", font.get(), 'Z', 0},
        {"a control character, underlined", underlined.get(), 0x1F, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GlyphPlacement placement;
        placement.a = 99;
        ASSERT_TRUE(c.font->GetGlyph(c.codePoint, placement));
        EXPECT_EQ(placement.b, c.b);
        EXPECT_EQ(placement.a, 0);
        EXPECT_EQ(placement.c, 0);
        EXPECT_EQ(placement.width, 0.0f);
        EXPECT_EQ(placement.height, 0.0f);
    }
    EXPECT_TRUE(rasteriser_.draws.empty());
    EXPECT_FALSE(font->HasDC());

    GlyphPlacement space;
    ASSERT_TRUE(underlined->GetGlyph(0x3000, space)) << "underlined whitespace is a space";
    EXPECT_EQ(space.b, 4u);
    EXPECT_EQ(space.width, 4.0f / 128);
    ASSERT_EQ(rasteriser_.draws.size(), 1u);
    EXPECT_EQ(rasteriser_.draws[0].unit, u' ');
}

TEST_F(TTFontGlyphTest, GlyphsTakeCellsInTurn) {
    const auto font = Make(TTFont::kShadow);
    ASSERT_EQ(font->GetCellWidth(), 1 + 7 + 1);
    ASSERT_EQ(font->GetAtlasSize(), 128);
    GlyphPlacement a, b, again;
    ASSERT_TRUE(font->GetGlyph('A', a));
    ASSERT_TRUE(font->GetGlyph('B', b));
    ASSERT_TRUE(font->GetGlyph('A', again));
    EXPECT_TRUE(font->HasDC());
    const float texel = 1.0f / 128;
    EXPECT_EQ(a.u, 0.0f);
    EXPECT_EQ(a.v, 0.0f);
    EXPECT_EQ(a.b, 7u + 1);
    EXPECT_EQ(a.width, 8 * texel);
    EXPECT_EQ(a.height, 13 * texel);
    EXPECT_EQ(a.a, 1);
    EXPECT_EQ(a.c, 2);
    EXPECT_EQ(b.u, 9 * texel);
    EXPECT_EQ(b.b, 6u + 1);
    EXPECT_EQ(b.a, 2);
    EXPECT_EQ(b.c, 3);
    EXPECT_EQ(again.u, a.u);
    EXPECT_EQ(again.b, a.b);
    ASSERT_EQ(rasteriser_.draws.size(), 2u) << "a glyph is drawn once";
    EXPECT_EQ(rasteriser_.draws[0].x, 0 - 1);
    EXPECT_EQ(rasteriser_.draws[0].y, 0);
    EXPECT_EQ(rasteriser_.draws[1].x, 9 - 2);
    font->ReleaseDC();
    EXPECT_FALSE(font->HasDC());
}

TEST_F(TTFontGlyphTest, WhatIsDrawnForACodePoint) {
    const std::pair<uint32_t, char16_t> cases[] = {
        {0x2019, u'\''},  // a right quotation mark as an apostrophe
        {0x2013, u'-'},   // an en dash as a hyphen
        {0x0416, u'?'},   // a code point the font lacks: its default glyph
        {0x1F600, u'?'},  // beyond U+FFFF
    };
    for (const auto& [codePoint, drawn] : cases) {
        rasteriser_.draws.clear();
        const auto font = Make();
        GlyphPlacement placement;
        ASSERT_TRUE(font->GetGlyph(codePoint, placement));
        ASSERT_EQ(rasteriser_.draws.size(), 1u);
        EXPECT_EQ(rasteriser_.draws[0].unit, drawn) << std::hex << codePoint;
        EXPECT_EQ(placement.b, rasteriser_.glyphs[drawn].widths.b);
    }
}

TEST_F(TTFontGlyphTest, TheFallbackDrawsItsGlyphIntoThisAtlas) {
    FakeGlyphRasteriser cyrillic;
    cyrillic.bits = {};
    cyrillic.bits.Set(9);
    cyrillic.glyphs[0x416] = {{2, 9, 1}, {"#"}};
    auto fallback = std::make_unique<TTFont>(cyrillic, nullptr);
    ASSERT_TRUE(fallback->Init(nullptr, "Other", 12, 0));
    const auto font = Make();
    TTFont::SetFallbackFont(fallback.get());
    GlyphPlacement zhe, a;
    ASSERT_TRUE(font->GetGlyph(0x416, zhe));
    ASSERT_TRUE(font->GetGlyph('A', a));
    TTFont::SetFallbackFont(nullptr);
    ASSERT_EQ(cyrillic.draws.size(), 1u);
    EXPECT_EQ(cyrillic.draws[0].unit, u'\u0416');
    EXPECT_EQ(cyrillic.draws[0].x, 0 - 2);
    ASSERT_EQ(rasteriser_.draws.size(), 1u) << "the font's own glyphs are drawn by it";
    EXPECT_EQ(rasteriser_.draws[0].unit, u'A');
    EXPECT_EQ(zhe.b, 9u);
    EXPECT_EQ(font->GetAtlas()->PixelAt(0, 0)[3], 255) << "drawn into this font's atlas";
    EXPECT_EQ(fallback->GetAtlas()->PixelAt(0, 0)[3], 0);

    fallback.reset();
    GlyphPlacement kept;
    ASSERT_TRUE(font->GetGlyph(0x416, kept)) << "a held glyph outlives the fallback font";
    EXPECT_EQ(kept.u, zhe.u);
    EXPECT_EQ(kept.b, 9u);
    EXPECT_EQ(kept.a, 2);
    EXPECT_EQ(kept.c, 1);
}

TEST_F(TTFontGlyphTest, AFailedDrawFreesTheCell) {
    rasteriser_.failedDraws = {u'A'};
    const auto font = Make();
    GlyphPlacement placement;
    ASSERT_TRUE(font->GetGlyph('A', placement));
    EXPECT_EQ(placement.b, 0u);
    EXPECT_EQ(placement.width, 0.0f);
    EXPECT_EQ(font->GetCells()[0].codePoint, 0u);
    EXPECT_EQ(font->GetCells()[0].useCount, 0u);
    ASSERT_TRUE(font->GetGlyph('B', placement));
    EXPECT_EQ(placement.u, 0.0f) << "the next glyph takes the freed cell";
    EXPECT_EQ(font->GetCells()[0].codePoint, uint32_t('B'));
    ASSERT_TRUE(font->GetGlyph('A', placement));
    EXPECT_EQ(placement.b, 0u) << "and the failed one is tried again";
    EXPECT_EQ(rasteriser_.draws.size(), 3u);
}

TEST_F(TTFontGlyphTest, AFullAtlasRefusesNewGlyphsAndKeepsItsOwn) {
    rasteriser_.metrics = {200, 180};
    rasteriser_.glyphs['W'] = {{0, 250, 0}, {}};
    const auto font = Make();
    ASSERT_EQ(font->GetAtlasSize(), 512);
    ASSERT_EQ(font->GetCells().size(), 4u);
    const uint32_t used[] = {'A', 'B', '-', 'A', '?', 'A', '-'};
    std::map<uint32_t, float> where;
    for (uint32_t c : used) {
        GlyphPlacement placement;
        ASSERT_TRUE(font->GetGlyph(c, placement));
        where[c] = placement.u + 4 * placement.v;
    }
    GlyphPlacement refused;
    EXPECT_FALSE(font->GetGlyph('W', refused));
    EXPECT_FALSE(font->GetGlyph(0x27, refused));
    for (uint32_t c : {'A', 'B', '-', '?'}) {
        GlyphPlacement placement;
        ASSERT_TRUE(font->GetGlyph(c, placement));
        EXPECT_EQ(placement.u + 4 * placement.v, where[c]) << char(c);
    }
    EXPECT_EQ(rasteriser_.draws.size(), 4u);

    // The use-ordered list runs through every cell, counts never falling.
    std::map<uint32_t, uint32_t> counts;
    int32_t at = -1;
    for (size_t i = 0; i < font->GetCells().size(); ++i)
        if (font->GetCells()[i].previous < 0) at = int32_t(i);
    uint32_t last = 0;
    size_t visited = 0;
    for (; at >= 0; at = font->GetCells()[at].next, ++visited) {
        const GlyphCell& cell = font->GetCells()[at];
        EXPECT_GE(cell.useCount, last);
        last = cell.useCount;
        counts[cell.codePoint] = cell.useCount;
    }
    EXPECT_EQ(visited, 4u);
    EXPECT_EQ(counts, (std::map<uint32_t, uint32_t>{{'A', 4}, {'B', 2}, {'-', 3}, {'?', 2}}));
}

TEST_F(TTFontGlyphTest, DrawnPixelsAreConverted) {
    struct Case {
        const char* what;
        uint32_t flags;
        GlyphMetrics widths;
        std::vector<std::string> ink;
        // Columns x - 1 to x + B + shadow of the glyph's cell (x > 0), top row first.
        std::vector<std::string> expected;
    };
    const uint32_t shadow = TTFont::kShadow, smooth = TTFont::kAntiAliased,
                   underline = TTFont::kUnderline, strikeOut = TTFont::kStrikeOut;
    const Case cases[] = {
        {"monochrome", 0, {1, 3, 1}, {"#..", ".#.", "..#"},
         {"0Www0", "0wWw0", "0wwW0"}},
        {"anti-aliased", smooth, {1, 3, 1}, {"o#.", "...", "..."},
         {"0GW00", "00000", "00000"}},
        {"drop shadow", shadow, {1, 3, 1}, {"#..", ".#.", "..."},
         {"0W0000", "00W000", "000S00", "000000"}},
        {"drop shadow of grey", shadow | smooth, {1, 3, 1}, {"o..", "...", "..."},
         {"0G0000", "00s000", "000000", "000000"}},
        {"underline joins", underline, {0, 3, 2}, {"#####", ".....", "#...#"},
         {"WWWWWWW", "wwwwwww", "WW www WW"}},
        {"strike-out joins with a shadow", strikeOut | shadow, {0, 3, 2},
         {"#####", ".....", "#...#"},
         {"WWWWWW0W", "00SSSSSS", "WW000W0W", "00S000S0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rasteriser_ = FakeGlyphRasteriser{};
        rasteriser_.metrics = {3, 2};
        rasteriser_.missingWidths = {0, 1, 0};
        rasteriser_.glyphs['X'] = {c.widths, c.ink};
        const auto font = Make(c.flags);
        GlyphPlacement first, placement;
        ASSERT_TRUE(font->GetGlyph('Y', first));
        ASSERT_TRUE(font->GetGlyph('X', placement));
        const int32_t x = font->GetCells()[1].x;
        ASSERT_GT(x, 1);
        std::vector<std::string> pixels;
        for (int32_t y = 0; y < font->GetHeight(); ++y) {
            std::string row;
            for (int32_t column = x - 1; column <= x + int32_t(placement.b); ++column)
                row += Code(font->GetAtlas()->PixelAt(column, y));
            pixels.push_back(row);
        }
        std::vector<std::string> expected = c.expected;
        for (std::string& row : expected) std::erase(row, ' ');
        EXPECT_EQ(pixels, expected);
    }
}

}  // namespace
