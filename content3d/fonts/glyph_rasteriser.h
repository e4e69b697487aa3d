// The glyph rasteriser TTFont stands on: it makes a font of a face, character set, height
// and style, and answers what the font code needs of it (height and ascent, the
// Unicode-subset bits and character set, the A/B/C widths of code points, a code point's
// glyph index) and draws one character into an atlas. The program has one back end,
// FreeType with fontconfig (freetype_rasteriser.h); tests put a fake in its place, so the
// font cache's logic is exercised exactly, with chosen metrics, failures and pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Kiv {
class Bitmap;
}

// What a font is asked for.
struct RasterFontRequest {
    std::u16string face;  // empty: no face named
    int32_t charSet = 1;
    int32_t height = 0;   // positive: cell height (ascent + descent); negative: em height
    int32_t weight = 400; // 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool antiAliased = false;
};

struct RasterTextMetrics {
    int32_t height = 0;
    int32_t ascent = 0;
};

// The widths of one character: A the space before its body, B the body, C the space after
// (A + B + C is the advance).
struct GlyphMetrics {
    int32_t a = 0;
    uint32_t b = 0;
    int32_t c = 0;
    bool operator==(const GlyphMetrics&) const = default;
};

// The 128 Unicode-subset bits of a font, bit n in word n / 32.
struct UnicodeSubsetBits {
    uint32_t words[4] = {0, 0, 0, 0};
    bool Has(int32_t bit) const {
        return bit >= 0 && bit < 128 && (words[bit / 32] >> (bit % 32) & 1u) != 0;
    }
    void Set(int32_t bit) {
        if (bit >= 0 && bit < 128) words[bit / 32] |= 1u << (bit % 32);
    }
};

class RasterFont {
  public:
    virtual ~RasterFont() = default;
    // False when the metrics cannot be read.
    virtual bool GetTextMetrics(RasterTextMetrics& metrics) = 0;
    // The font's character set, with its subset bits in bits; 1 means the answer failed.
    virtual int32_t GetTextCharsetInfo(UnicodeSubsetBits& bits) = 0;
    // The widths of the code points first to last into widths (last - first + 1 entries);
    // code points the font lacks take its missing-glyph widths. False on failure.
    virtual bool GetCharWidths(uint32_t first, uint32_t last, GlyphMetrics* widths) = 0;
    // The font's own glyph index of a code point; 0 when the font lacks it.
    virtual uint32_t GetGlyphIndex(uint32_t codePoint) = 0;
    // Draws one UTF-16 unit white on black into the 32-bit top-down atlas, its character
    // cell's top-left at (x, y) (the pen starts at x, the baseline is at y + ascent): each
    // pixel the glyph covers gets its coverage as blue, green and red (alpha byte 0), the
    // others are left as they are; nothing is written outside the atlas. False when the
    // character cannot be drawn.
    virtual bool DrawChar(Kiv::Bitmap& atlas, int32_t x, int32_t y, char16_t unit) = 0;
};

class GlyphRasteriser {
  public:
    virtual ~GlyphRasteriser() = default;
    // The font, or null when it cannot be made.
    virtual std::unique_ptr<RasterFont> CreateFont(const RasterFontRequest& request) = 0;
};
