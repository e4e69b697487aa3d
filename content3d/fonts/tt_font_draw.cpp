// TTFont::DrawGlyph, which blends an atlas cell into a bitmap in a colour, and
// TTFont::MeasureText. The blend works in unsigned 32-bit arithmetic: its products reach
// 65280 x 65280, beyond a signed int.
#include <algorithm>
#include <cmath>
#include <limits>

#include "content3d/fonts/tt_font.h"
#include "content3d/fonts/utf8_char.h"

namespace {

// A float truncated towards zero, held within +-2^40 (NaN gives 0), so that no pixel
// arithmetic on it can overflow.
int64_t Truncate(float value) {
    constexpr float kLimit = 1099511627776.0f;
    if (std::isnan(value)) return 0;
    return static_cast<int64_t>(std::clamp(value, -kLimit, kLimit));
}

bool IsFourBytesAPixel(const Kiv::Bitmap& bitmap) {
    return bitmap.GetFormat() == Kiv::Bitmap::kFormatBGRA ||
           bitmap.GetFormat() == Kiv::Bitmap::kFormatBGRX;
}

// The span [first, end) of offsets j in [0, count) for which both start + j and at + j lie
// in [0, size) and [0, destinationSize).
struct Span {
    int64_t first;
    int64_t end;
};

Span ClipSpan(int64_t count, int64_t start, int64_t size, int64_t at, int64_t destinationSize) {
    const int64_t first = std::max({int64_t{0}, -start, -at});
    const int64_t end = std::min({count, size - start, destinationSize - at});
    return {first, std::max(first, end)};
}

void Blend(const uint8_t* glyph, const uint8_t* colour, uint8_t* pixel) {
    const uint32_t l = uint32_t{glyph[3]} * colour[3] + 255u;
    const uint32_t m = 65535u - l;
    for (int channel = 0; channel < 3; ++channel) {
        const uint32_t tinted = ((uint32_t{glyph[channel]} * colour[channel] + 255u) * l) >> 8;
        pixel[channel] = static_cast<uint8_t>((tinted + uint32_t{pixel[channel]} * m) >> 16);
    }
    pixel[3] = static_cast<uint8_t>((uint32_t{pixel[3]} * m + ((l * l) >> 8)) >> 16);
}

}  // namespace

bool TTFont::DrawGlyph(const TTFont* font, Kiv::Bitmap& destination, float u, float v,
                       const uint8_t colour[4], float width, float height, int32_t x,
                       int32_t y) {
    if (!font || !font->atlasBitmap_) return false;
    if (!IsFourBytesAPixel(destination)) return false;
    const Kiv::Bitmap& atlas = *font->atlasBitmap_;
    const float atlasWidth = static_cast<float>(atlas.GetWidth());
    const float atlasHeight = static_cast<float>(atlas.GetHeight());
    const int64_t startX = Truncate(u * atlasWidth);
    const int64_t startY = Truncate(v * atlasHeight);
    const Span columns = ClipSpan(Truncate(width * atlasWidth), startX, atlas.GetWidth(), x,
                                  destination.GetWidth());
    const Span rows = ClipSpan(Truncate(height * atlasHeight), startY, atlas.GetHeight(), y,
                               destination.GetHeight());
    for (int64_t i = rows.first; i < rows.end; ++i) {
        for (int64_t j = columns.first; j < columns.end; ++j) {
            const uint8_t* glyph = atlas.PixelAt(static_cast<uint32_t>(startX + j),
                                                 static_cast<uint32_t>(startY + i));
            Blend(glyph, colour,
                  destination.PixelAt(static_cast<uint32_t>(x + j), static_cast<uint32_t>(y + i)));
        }
    }
    return true;
}

int32_t TTFont::MeasureText(std::string_view text) const {
    constexpr int64_t kWidthLimit = int64_t{1} << 48;  // sums of any font's widths stay inside
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int64_t width = 0;
    int64_t trailing = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t length = 0;
        const uint32_t codePoint = DecodeUtf8Char(bytes + at, text.size() - at, &length);
        if (length == 0) break;
        at += length;
        if (codePoint < 32 && codePoint != 9) continue;
        if (codePoint <= 0xFFFF && IsFontWhitespace(codePoint)) {
            width = std::clamp(width + spaceAdvance_, -kWidthLimit, kWidthLimit);
            trailing = std::clamp(trailing + spaceAdvance_, -kWidthLimit, kWidthLimit);
            continue;
        }
        const GlyphMetrics* metrics = FindGlyph(codePoint);
        if (!metrics) continue;
        width += int64_t{metrics->a} + metrics->b + metrics->c;
        width = std::clamp(width, -kWidthLimit, kWidthLimit);
        trailing = metrics->c;
    }
    const int64_t result = width - trailing;
    return static_cast<int32_t>(std::clamp<int64_t>(result, INT32_MIN, INT32_MAX));
}
