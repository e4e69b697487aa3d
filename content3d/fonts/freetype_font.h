// One font of the FreeType rasteriser: an opened face at its pixel size with the style it
// was asked for (see freetype_rasteriser.h for the mapping). Widths are measured from the
// glyph outlines without rendering, once per glyph, so measuring every code point of a
// font stays cheap; only DrawChar renders.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <unordered_map>

#include "content3d/fonts/glyph_rasteriser.h"

class FreeTypeFont : public RasterFont {
  public:
    struct Style {
        int32_t charSet = 1;
        bool embolden = false;
        bool oblique = false;
        bool antiAliased = false;
        bool underline = false;
        bool strikeOut = false;
    };

    // Takes the face, sized already.
    FreeTypeFont(FT_Face face, const Style& style);
    ~FreeTypeFont() override;
    FreeTypeFont(const FreeTypeFont&) = delete;
    FreeTypeFont& operator=(const FreeTypeFont&) = delete;

    bool GetTextMetrics(RasterTextMetrics& metrics) override;
    int32_t GetTextCharsetInfo(UnicodeSubsetBits& bits) override;
    bool GetCharWidths(uint32_t first, uint32_t last, GlyphMetrics* widths) override;
    uint32_t GetGlyphIndex(uint32_t codePoint) override;
    bool DrawChar(Kiv::Bitmap& atlas, int32_t x, int32_t y, char16_t unit) override;

  private:
    bool LoadGlyph(uint32_t glyphIndex);
    GlyphMetrics MeasureGlyph(uint32_t glyphIndex);
    int32_t Ascent() const;
    void DrawLines(Kiv::Bitmap& atlas, int64_t x, int64_t baseline, int64_t advance) const;

    FT_Face face_;
    Style style_;
    bool hasUnicodeMap_;
    std::unordered_map<uint32_t, GlyphMetrics> measured_;  // by glyph index
};
