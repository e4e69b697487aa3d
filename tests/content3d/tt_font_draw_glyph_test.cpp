// TTFont::DrawGlyph: the blend on chosen pixels against values worked out by hand from
// its formula (including products beyond a signed 32-bit int and a colour of alpha 0),
// and clipping at every edge of the destination and of the atlas.
#include "content3d/fonts/tt_font.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "fake_glyph_rasteriser.h"

namespace {

using Pixel = std::array<uint8_t, 4>;

class DrawGlyphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // 'M' converts to white opaque, white transparent; 'S' to grey opaque, nothing.
        rasteriser_.metrics = {2, 2};
        rasteriser_.missingWidths = {0, 1, 0};
        rasteriser_.glyphs['M'] = {{0, 2, 0}, {"#.", "##"}};
        rasteriser_.glyphs['S'] = {{0, 2, 0}, {"o.", ".."}};
        rasteriser_.glyphs['F'] = {{0, 2, 0}, {"##", "##"}};
        mono_ = std::make_unique<TTFont>(rasteriser_, nullptr);
        ASSERT_TRUE(mono_->Init(nullptr, "Face", 2, 0));
        smooth_ = std::make_unique<TTFont>(rasteriser_, nullptr);
        ASSERT_TRUE(smooth_->Init(nullptr, "Face", 2, TTFont::kAntiAliased));
        ASSERT_TRUE(mono_->GetGlyph('M', m_));
        ASSERT_TRUE(mono_->GetGlyph('F', f_));
        ASSERT_TRUE(smooth_->GetGlyph('S', s_));
        destination_ = Kiv::Bitmap::Create(4, 4, Kiv::Bitmap::kFormatBGRA);
        Fill({10, 20, 30, 40});
    }

    void Fill(Pixel pixel) {
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x) std::copy(pixel.begin(), pixel.end(), destination_->PixelAt(x, y));
    }
    Pixel At(uint32_t x, uint32_t y) const {
        const uint8_t* p = destination_->PixelAt(x, y);
        return {p[0], p[1], p[2], p[3]};
    }
    // One atlas pixel of a font, as a one-pixel cell at (x, y) of the atlas.
    bool DrawPixel(const TTFont& font, uint32_t x, uint32_t y, Pixel colour) {
        const float texel = font.GetTexelScale();
        return TTFont::DrawGlyph(&font, *destination_, float(x) * texel, float(y) * texel,
                                 colour.data(), texel, texel, 1, 1);
    }
    // Which destination pixels differ from the fill: 'x' changed, '.' not.
    std::vector<std::string> Changed() const {
        std::vector<std::string> rows;
        for (uint32_t y = 0; y < 4; ++y) {
            std::string row;
            for (uint32_t x = 0; x < 4; ++x) row += At(x, y) == Pixel{10, 20, 30, 40} ? '.' : 'x';
            rows.push_back(row);
        }
        return rows;
    }

    FakeGlyphRasteriser rasteriser_;
    std::unique_ptr<TTFont> mono_, smooth_;
    GlyphPlacement m_, f_, s_;
    std::unique_ptr<Kiv::Bitmap> destination_;
};

TEST_F(DrawGlyphTest, BlendsByItsFormula) {
    const uint32_t mx = uint32_t(std::lround(m_.u / mono_->GetTexelScale()));
    const uint32_t sx = uint32_t(std::lround(s_.u / smooth_->GetTexelScale()));
    struct Case {
        const char* what;
        const TTFont* font;
        uint32_t x, y;  // the atlas pixel
        Pixel colour;
        Pixel before;
        Pixel after;
    };
    const Case cases[] = {
        {"opaque glyph, opaque red", mono_.get(), mx, 0, {0, 0, 255, 255}, {10, 20, 30, 40},
         {1, 1, 254, 254}},
        {"transparent glyph pixel", mono_.get(), mx + 1, 0, {0, 0, 255, 255}, {10, 20, 30, 40},
         {9, 19, 30, 39}},
        {"grey glyph, half-transparent white", smooth_.get(), sx, 0, {255, 255, 255, 128},
         {0, 0, 0, 0}, {64, 64, 64, 64}},
        {"colour of alpha 0", mono_.get(), mx, 0, {200, 100, 50, 0}, {10, 20, 30, 40},
         {10, 20, 30, 39}},
        {"empty glyph pixel", smooth_.get(), sx + 1, 0, {0, 0, 255, 255}, {10, 20, 30, 40},
         {9, 19, 29, 39}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fill(c.before);
        ASSERT_TRUE(DrawPixel(*c.font, c.x, c.y, c.colour));
        EXPECT_EQ(At(1, 1), c.after);
        EXPECT_EQ(At(2, 1), c.before);
        EXPECT_EQ(At(1, 2), c.before);
    }
}

TEST_F(DrawGlyphTest, ClipsAtEveryEdge) {
    struct Case {
        int32_t x, y;
        std::vector<std::string> changed;
    };
    const Case cases[] = {
        {-1, 1, {"....", "x...", "x...", "...."}},
        {3, 1, {"....", "...x", "...x", "...."}},
        {1, -1, {".xx.", "....", "....", "...."}},
        {1, 3, {"....", "....", "....", ".xx."}},
        {-1, -1, {"x...", "....", "....", "...."}},
        {3, 3, {"....", "....", "....", "...x"}},
        {-2, 0, {"....", "....", "....", "...."}},
        {4, 4, {"....", "....", "....", "...."}},
        {INT32_MIN, INT32_MAX, {"....", "....", "....", "...."}},
    };
    const uint8_t red[4] = {0, 0, 255, 255};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        Fill({10, 20, 30, 40});
        ASSERT_TRUE(TTFont::DrawGlyph(mono_.get(), *destination_, f_.u, f_.v, red, f_.width,
                                      f_.height, c.x, c.y));
        EXPECT_EQ(Changed(), c.changed);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                if (c.changed[y][x] == 'x') {
                    EXPECT_EQ(At(x, y), (Pixel{1, 1, 254, 254}));
                }
    }
}

TEST_F(DrawGlyphTest, ReadsOnlyInsideTheAtlas) {
    const float texel = mono_->GetTexelScale();
    const uint8_t red[4] = {0, 0, 255, 255};
    struct Case {
        const char* what;
        float u, v, width, height;
        std::vector<std::string> changed;
    };
    const Case cases[] = {
        {"past the right edge", 1 - texel, 0, 2 * texel, texel, {"....", ".x..", "....", "...."}},
        {"past the bottom edge", 0, 1 - texel, texel, 2 * texel, {"....", ".x..", "....", "...."}},
        {"before the left edge", -texel, 0, 2 * texel, texel, {"....", "..x.", "....", "...."}},
        {"before the top edge", 0, -texel, texel, 2 * texel, {"....", "....", ".x..", "...."}},
        {"huge", -1e30f, -1e30f, 1e30f, 1e30f, {"....", "....", "....", "...."}},
        {"not a number", NAN, NAN, NAN, NAN, {"....", "....", "....", "...."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fill({10, 20, 30, 40});
        ASSERT_TRUE(TTFont::DrawGlyph(mono_.get(), *destination_, c.u, c.v, red, c.width,
                                      c.height, 1, 1));
        EXPECT_EQ(Changed(), c.changed);
    }
}

TEST_F(DrawGlyphTest, NeedsAnAtlasAndAFourByteDestination) {
    const uint8_t red[4] = {0, 0, 255, 255};
    TTFont unmade(rasteriser_, nullptr);
    EXPECT_FALSE(TTFont::DrawGlyph(nullptr, *destination_, 0, 0, red, f_.width, f_.height, 0, 0));
    EXPECT_FALSE(TTFont::DrawGlyph(&unmade, *destination_, 0, 0, red, f_.width, f_.height, 0, 0));
    auto raw = Kiv::Bitmap::Create(4, 4, Kiv::Bitmap::kFormatRaw, 8);
    ASSERT_NE(raw, nullptr);
    EXPECT_FALSE(TTFont::DrawGlyph(mono_.get(), *raw, f_.u, f_.v, red, f_.width, f_.height, 0, 0));
}

}  // namespace
