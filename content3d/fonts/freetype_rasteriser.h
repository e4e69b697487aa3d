// The glyph rasteriser on FreeType, with fontconfig choosing the face. How a font request
// and the rasteriser's answers map onto them:
// - fontconfig matches the family (the face name; none when empty), the weight (700 bold,
//   else 400) and the slant (italic or roman). A character set other than 1 adds its
//   language (char_set_languages in the .cpp; "symbol" has none), and creation fails when
//   the matched face does not cover that language, or when the matched file cannot be
//   opened: that is what makes a retry with the default set worth trying.
// - A positive height is the cell height (ascender + descender), a negative one the em
//   height; 0 is an em height of 12 pixels, and a height beyond 16384 pixels either way is
//   refused. Height and ascent come from the size's metrics.
// - Bold and italic are synthesised (emboldened outline, slanted outline) when the matched
//   face lacks them.
// - Anti-aliased fonts render with FreeType's normal (grey) mode, others in monochrome,
//   written as 0 or 255.
// - The Unicode-subset bits are the face's OS/2 Unicode-range words; without an OS/2 table,
//   the bits of the range rows where the face maps at least one code point.
// - The character set answered is 1 (failure) only for a face without a Unicode map; else
//   the requested set, or 0 when that was 1.
// - A is the glyph's left bearing, B its bitmap width, C = advance - A - B; code points
//   the face lacks take its missing glyph's widths.
// - Underline and strike-out lines use the face's own positions and thicknesses (the
//   post table's underline, the OS/2 strike-out) and span the glyph's advance.
// FreeType's library and fontconfig's configuration live for the whole process.
#pragma once

#include "content3d/fonts/glyph_rasteriser.h"

class FreeTypeRasteriser : public GlyphRasteriser {
  public:
    // The process's rasteriser; never freed.
    static FreeTypeRasteriser& Instance();

    std::unique_ptr<RasterFont> CreateFont(const RasterFontRequest& request) override;
};
