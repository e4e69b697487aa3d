// TTFont's glyph ranges and index, glyph lookup with the default glyph and the fallback
// font, and MeasureText, over the fake rasteriser.
#include "content3d/fonts/tt_font.h"

#include <gtest/gtest.h>

#include <set>

#include "content3d/fonts/unicode_ranges.h"
#include "fake_glyph_rasteriser.h"

namespace {

TEST(UnicodeRanges, TableFollowsTheSubsetBits) {
    const auto rows = UnicodeRangeRows();
    ASSERT_EQ(rows.size(), 84u);
    struct Example {
        size_t row;
        int32_t bit;
        uint32_t first, last;
        std::string name;
    };
    const Example examples[] = {
        {0, 0, 0x0020, 0x007E, "Basic Latin"},
        {8, 9, 0x0400, 0x04FF, "Cyrillic"},
        {55, 59, 0x4E00, 0x9FFF, "CJK Unified Ideographs"},
        {83, 83, 0xA000, 0xA48C, "Yi, Yi Radicals"},
    };
    for (const Example& e : examples) {
        EXPECT_EQ(rows[e.row].subsetBit, e.bit);
        EXPECT_EQ(rows[e.row].first, e.first);
        EXPECT_EQ(rows[e.row].last, e.last);
        EXPECT_EQ(rows[e.row].name, e.name);
    }
    std::map<int32_t, int> rowsPerBit;
    int32_t previous = -1;
    for (const UnicodeRangeRow& row : rows) {
        EXPECT_GE(row.subsetBit, previous);
        EXPECT_LE(row.first, row.last);
        EXPECT_LE(row.last, 0xFFFFu);
        previous = row.subsetBit;
        ++rowsPerBit[row.subsetBit];
    }
    for (int32_t bit = 0; bit <= 83; ++bit) {
        const bool reserved = std::set<int32_t>{8, 12, 14, 27, 58}.count(bit) != 0;
        const int expected = reserved ? 0 : bit == 51 ? 2 : bit == 59 ? 5 : 1;
        EXPECT_EQ(rowsPerBit[bit], expected) << "bit " << bit;
    }
}

class TTFontTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rasteriser_.glyphs['A'] = {{1, 7, 2}, {}};
        rasteriser_.glyphs['B'] = {{2, 6, 3}, {}};
        rasteriser_.glyphs['-'] = {{1, 4, 1}, {}};
        rasteriser_.glyphs['?'] = {{0, 5, 2}, {}};
        rasteriser_.glyphs[' '] = {{0, 0, 4}, {}};
    }
    void TearDown() override { TTFont::SetFallbackFont(nullptr); }

    std::unique_ptr<TTFont> Make(FakeGlyphRasteriser& rasteriser, uint32_t flags = 0) {
        auto font = std::make_unique<TTFont>(rasteriser, nullptr);
        EXPECT_TRUE(font->Init(nullptr, "Face", 12, flags));
        return font;
    }

    FakeGlyphRasteriser rasteriser_;
};

TEST_F(TTFontTextTest, RangesAndGlyphIndex) {
    rasteriser_.bits.Set(9);
    rasteriser_.bits.Set(31);
    const auto font = Make(rasteriser_);
    const std::vector<GlyphRange> expected = {
        {0, 0x20, 0x7E}, {95, 0x400, 0x4FF}, {351, 0x2000, 0x206F}};
    EXPECT_EQ(std::vector<GlyphRange>(font->GetRanges().begin(), font->GetRanges().end()), expected);
    EXPECT_EQ(font->GetGlyphMetrics().size(), 351u + 0x70);
    const std::pair<uint32_t, int64_t> indices[] = {
        {'A', 0x21},           {0x410, 95 + 0x10}, {0x2013, '-' - 0x20}, {0x2014, 351 + 0x14},
        {0x7F, -1},            {0x500, -1},        {0x10000, -1},        {0x1F600, -1},
    };
    for (const auto& [codePoint, index] : indices)
        EXPECT_EQ(font->GetGlyphIndex(codePoint), index) << std::hex << codePoint;
    EXPECT_EQ(font->GetGlyphMetrics()[0x21], (GlyphMetrics{1, 7, 2}));
    EXPECT_EQ(font->GetGlyphMetrics()[95], rasteriser_.missingWidths);

    FakeGlyphRasteriser noBasicLatin = rasteriser_;
    noBasicLatin.bits = {};
    noBasicLatin.bits.Set(31);
    const auto punctuation = Make(noBasicLatin);
    EXPECT_EQ(punctuation->GetGlyphIndex(0x2013), 0x13) << "without '-', U+2013 is itself";
}

TEST_F(TTFontTextTest, DefaultGlyphAndSpaceAdvance) {
    const auto font = Make(rasteriser_);
    EXPECT_EQ(font->GetDefaultGlyph(), '?' - 0x20);
    EXPECT_EQ(font->GetSpaceAdvance(), 4);
    rasteriser_.glyphs.erase('?');
    rasteriser_.glyphs.erase(' ');
    const auto lacking = Make(rasteriser_);
    EXPECT_EQ(lacking->GetDefaultGlyph(), 0);
    EXPECT_EQ(lacking->GetSpaceAdvance(), 10);
    rasteriser_.bits = {};
    rasteriser_.bits.Set(9);
    const auto cyrillic = Make(rasteriser_);
    EXPECT_EQ(cyrillic->GetSpaceAdvance(), 10) << "a space outside the ranges is missing";
    EXPECT_EQ(cyrillic->FindGlyph('A'), &cyrillic->GetGlyphMetrics()[0]);
}

TEST_F(TTFontTextTest, FindGlyphFallsBackThenDefaults) {
    FakeGlyphRasteriser cyrillicRasteriser;
    cyrillicRasteriser.bits = {};
    cyrillicRasteriser.bits.Set(9);
    cyrillicRasteriser.glyphs[0x416] = {{0, 9, 0}, {}};
    auto fallback = Make(cyrillicRasteriser);
    const auto font = Make(rasteriser_);
    const TTFont* owner = nullptr;

    EXPECT_EQ(font->FindGlyph(0x416, &owner), &font->GetGlyphMetrics()['?' - 0x20]);
    EXPECT_EQ(owner, font.get());
    TTFont::SetFallbackFont(fallback.get());
    EXPECT_EQ(*font->FindGlyph(0x416, &owner), (GlyphMetrics{0, 9, 0}));
    EXPECT_EQ(owner, fallback.get());
    EXPECT_EQ(font->FindGlyph('A', &owner), &font->GetGlyphMetrics()['A' - 0x20]);
    EXPECT_EQ(owner, font.get());
    EXPECT_EQ(fallback->FindGlyph('A', &owner), &fallback->GetGlyphMetrics()[0])
        << "the fallback itself takes its default glyph";
    EXPECT_EQ(owner, fallback.get());
    fallback.reset();
    EXPECT_EQ(TTFont::GetFallbackFont(), nullptr);
    EXPECT_EQ(font->FindGlyph(0x416, &owner), &font->GetGlyphMetrics()['?' - 0x20]);
}

TEST_F(TTFontTextTest, MeasureText) {
    const auto font = Make(rasteriser_);
    const int32_t a = 1 + 7 + 2, space = 4, b = 2 + 6, question = 0 + 5 + 2;
    const std::pair<std::string, int32_t> texts[] = {
        {"A\tB ", a + space + b},
        {"", 0},
        {"A", 1 + 7},
        {"AB", a + b},
        {"   ", 0},
        {"A\x01\x1F" "B", a + b},
        {"\xE2\x80\x93", 1 + 4},                     // U+2013 as '-'
        {"A\xE2\x80\x83" "B", a + space + b},        // U+2003, whitespace
        {"A\xD0\x96", a + 0 + 5},                    // U+0416: the default glyph
        {"A\xF0\x9F\x98\x80", a + 0 + 5},            // U+1F600: above U+FFFF, the default
        {"AB\xE2\x80", a + b},                       // a sequence cut short ends the text
        {std::string("A\0B", 3), a + b},
        {"?", question - 2},
    };
    for (const auto& [text, width] : texts) EXPECT_EQ(font->MeasureText(text), width) << text;

    const auto underlined = Make(rasteriser_, TTFont::kUnderline);
    EXPECT_EQ(underlined->MeasureText("A B"), a + space + b + 3) << "no trailing width is left";
}

TEST_F(TTFontTextTest, WithoutGlyphsNothingMeasures) {
    rasteriser_.bits = {};
    const auto font = Make(rasteriser_);
    EXPECT_TRUE(font->GetRanges().empty());
    EXPECT_EQ(font->FindGlyph('A'), nullptr);
    EXPECT_EQ(font->MeasureText("AB  "), 0) << "spaces after no glyph are trailing";
    GlyphPlacement placement;
    EXPECT_FALSE(font->GetGlyph('A', placement));
}

}  // namespace
