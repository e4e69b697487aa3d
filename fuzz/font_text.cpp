// Text through a font over the fake rasteriser: the first bytes shape the font (style,
// height, covered ranges, failing draws, a fallback font), the rest is the text, measured
// and then drawn glyph by glyph into a small bitmap as script images draw it. Every cell
// reported lies inside the atlas, and nothing reads or writes outside a bitmap.
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "content3d/fonts/tt_font.h"
#include "content3d/fonts/utf8_char.h"
#include "fuzz_support.h"
#include "tests/content3d/fake_glyph_rasteriser.h"

namespace {

constexpr uint32_t kStyleMask = TTFont::kBold | TTFont::kUnderline | TTFont::kItalic |
                                TTFont::kStrikeOut | TTFont::kShadow | TTFont::kAntiAliased;

// A rasteriser per height with glyphs for Basic Latin and Cyrillic whose widths and ink
// follow from the code point, some wider or narrower than their ink, with negative
// bearings. Made once per height; what a run sets or records is reset.
FakeGlyphRasteriser& RasteriserFor(int32_t height) {
    static std::map<int32_t, FakeGlyphRasteriser> made;
    FakeGlyphRasteriser& rasteriser = made[height];
    rasteriser.requests.clear();
    rasteriser.draws.clear();
    rasteriser.failedDraws.clear();
    rasteriser.bits = FakeGlyphRasteriser::BasicLatin();
    rasteriser.metrics = {height, height};
    if (!rasteriser.glyphs.empty()) return rasteriser;
    for (uint32_t c = 0x21; c <= 0x4FF; c = c == 0x7E ? 0x400 : c + 1) {
        const uint32_t body = c % 11;
        const std::string row = std::string(body + c % 3, '#') + "o";
        rasteriser.glyphs[c] = {{int32_t(c % 5) - 2, body, int32_t(c % 4) - 1},
                                std::vector<std::string>(size_t(height) + c % 3, row)};
    }
    rasteriser.glyphs[' '] = {{0, 0, 3}, {}};
    return rasteriser;
}

void DrawText(TTFont& font, std::string_view text, Kiv::Bitmap& target) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t colour[4] = {10, 200, 30, 128};
    int32_t pen = -5;
    for (size_t at = 0, length = 0; at < text.size(); at += length) {
        const uint32_t codePoint = DecodeUtf8Char(bytes + at, text.size() - at, &length);
        if (length == 0) break;
        GlyphPlacement placement;
        if (!font.GetGlyph(codePoint, placement)) continue;
        fuzz::Require(placement.u >= 0 && placement.v >= 0 && placement.v + placement.height <= 1,
                      "a glyph's cell lies in the atlas");
        TTFont::DrawGlyph(&font, target, placement.u, placement.v, colour, placement.width,
                          placement.height, pen + placement.a, 2);
        pen += placement.a + int32_t(placement.b) + placement.c;
        if (pen > 1000 || pen < -1000) pen = -5;
    }
    font.ReleaseDC();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t flags = data[0] & kStyleMask;
    const int32_t height = 1 + data[1] % 40;
    FakeGlyphRasteriser& rasteriser = RasteriserFor(height);
    rasteriser.metrics.ascent -= data[2] % 4;
    if (data[2] & 0x10) rasteriser.bits.Set(9);
    if (data[2] & 0x20) rasteriser.bits.Set(31);
    if (data[2] & 0x40) rasteriser.failedDraws = {u'A', u'e', u'?'};

    FakeGlyphRasteriser& cyrillic = RasteriserFor(2 * height);
    cyrillic.bits = {};
    cyrillic.bits.Set(9);
    TTFont fallback(cyrillic, nullptr);
    fuzz::Require(fallback.Init("russian", "Fallback", 2 * height, flags), "the fallback is made");
    if (data[3] & 1) TTFont::SetFallbackFont(&fallback);

    TTFont font(rasteriser, nullptr);
    fuzz::Require(font.Init(nullptr, "Face", height, flags), "the font is made");
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    font.MeasureText(text);
    const auto target = Kiv::Bitmap::Create(64, 24, Kiv::Bitmap::kFormatBGRA);
    DrawText(font, text, *target);
    TTFont::SetFallbackFont(nullptr);
    return 0;
}
