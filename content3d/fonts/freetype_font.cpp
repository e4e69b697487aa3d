// FreeTypeFont: metrics, subset bits, widths and drawing of one sized face.
#include "content3d/fonts/freetype_font.h"

#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

#include "content3d/fonts/unicode_ranges.h"
#include "engine/bitmap.h"

namespace {

int64_t Floor26(int64_t value) { return value >= 0 ? value / 64 : -((-value + 63) / 64); }
int64_t Ceil26(int64_t value) { return -Floor26(-value); }
int64_t Round26(int64_t value) { return Floor26(value + 32); }

// Writes a grey level into the atlas when the pixel lies in it.
void PutLevel(Kiv::Bitmap& atlas, int64_t x, int64_t y, uint8_t level) {
    if (x < 0 || y < 0 || x >= atlas.GetWidth() || y >= atlas.GetHeight()) return;
    uint8_t* pixel = atlas.PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
    pixel[0] = pixel[1] = pixel[2] = level;
}

// A horizontal band of full coverage: rows top to top + thickness - 1, columns x to
// x + width - 1.
void FillBand(Kiv::Bitmap& atlas, int64_t x, int64_t width, int64_t top, int64_t thickness) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t right = std::min<int64_t>(x + width, atlas.GetWidth());
    const int64_t first = std::max<int64_t>(top, 0);
    const int64_t end = std::min<int64_t>(top + std::max<int64_t>(thickness, 1), atlas.GetHeight());
    for (int64_t row = first; row < end; ++row)
        for (int64_t column = left; column < right; ++column) PutLevel(atlas, column, row, 255);
}

}  // namespace

FreeTypeFont::FreeTypeFont(FT_Face face, const Style& style)
    : face_(face), style_(style),
      hasUnicodeMap_(FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {}

FreeTypeFont::~FreeTypeFont() { FT_Done_Face(face_); }

// The size's ascender and descender unrounded (FreeType rounds them outwards, which would
// make a cell one pixel taller than asked).
int32_t FreeTypeFont::Ascent() const {
    return static_cast<int32_t>(Round26(FT_MulFix(face_->ascender, face_->size->metrics.y_scale)));
}

bool FreeTypeFont::GetTextMetrics(RasterTextMetrics& metrics) {
    const FT_Fixed scale = face_->size->metrics.y_scale;
    const int64_t cell = FT_MulFix(face_->ascender, scale) - FT_MulFix(face_->descender, scale);
    metrics.ascent = Ascent();
    metrics.height = static_cast<int32_t>(Round26(cell));
    return true;
}

int32_t FreeTypeFont::GetTextCharsetInfo(UnicodeSubsetBits& bits) {
    bits = UnicodeSubsetBits{};
    if (!hasUnicodeMap_) return 1;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        bits.words[0] = static_cast<uint32_t>(os2->ulUnicodeRange1);
        bits.words[1] = static_cast<uint32_t>(os2->ulUnicodeRange2);
        bits.words[2] = static_cast<uint32_t>(os2->ulUnicodeRange3);
        bits.words[3] = static_cast<uint32_t>(os2->ulUnicodeRange4);
    } else {
        for (const UnicodeRangeRow& row : UnicodeRangeRows()) {
            for (uint32_t c = row.first; c <= row.last && !bits.Has(row.subsetBit); ++c)
                if (FT_Get_Char_Index(face_, c) != 0) bits.Set(row.subsetBit);
        }
    }
    return style_.charSet != 1 ? style_.charSet : 0;
}

uint32_t FreeTypeFont::GetGlyphIndex(uint32_t codePoint) {
    return hasUnicodeMap_ ? FT_Get_Char_Index(face_, codePoint) : 0;
}

bool FreeTypeFont::GetCharWidths(uint32_t first, uint32_t last, GlyphMetrics* widths) {
    if (first > last) return false;
    for (uint32_t c = first;; ++c) {
        widths[c - first] = MeasureGlyph(GetGlyphIndex(c));
        if (c == last) return true;
    }
}

// Loads a glyph with the font's hinting target and applies the synthesised styles.
bool FreeTypeFont::LoadGlyph(uint32_t glyphIndex) {
    const FT_Int32 target = style_.antiAliased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face_, glyphIndex, target) != 0) return false;
    if (style_.oblique) FT_GlyphSlot_Oblique(face_->glyph);
    if (style_.embolden) FT_GlyphSlot_Embolden(face_->glyph);
    return true;
}

// The glyph's widths from its outline's box on the pixel grid; a glyph that cannot be
// loaded has none.
GlyphMetrics FreeTypeFont::MeasureGlyph(uint32_t glyphIndex) {
    const auto known = measured_.find(glyphIndex);
    if (known != measured_.end()) return known->second;
    GlyphMetrics metrics;
    if (LoadGlyph(glyphIndex)) {
        const FT_GlyphSlot slot = face_->glyph;
        int64_t left = slot->bitmap_left;
        int64_t width = slot->bitmap.width;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_BBox box{};
            FT_Outline_Get_CBox(&slot->outline, &box);
            left = slot->outline.n_points > 0 ? Floor26(box.xMin) : 0;
            width = slot->outline.n_points > 0 ? Ceil26(box.xMax) - left : 0;
        }
        const int64_t advance = Round26(slot->advance.x);
        metrics = {static_cast<int32_t>(left), static_cast<uint32_t>(width),
                   static_cast<int32_t>(advance - left - width)};
    }
    measured_[glyphIndex] = metrics;
    return metrics;
}

bool FreeTypeFont::DrawChar(Kiv::Bitmap& atlas, int32_t x, int32_t y, char16_t unit) {
    if (!LoadGlyph(GetGlyphIndex(unit))) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Render_Mode mode = style_.antiAliased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, mode) != 0) return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        return false;
    const int64_t baseline = int64_t{y} + Ascent();
    const int64_t left = int64_t{x} + slot->bitmap_left;
    const int64_t top = baseline - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const unsigned char* line = bitmap.buffer + int64_t{bitmap.pitch} * row;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const uint8_t level = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY
                                      ? line[column]
                                      : ((line[column / 8] >> (7 - column % 8)) & 1) * 255;
            if (level != 0) PutLevel(atlas, left + column, top + row, level);
        }
    }
    DrawLines(atlas, x, baseline, Round26(slot->advance.x));
    return true;
}

// The underline and strike-out bands across the glyph's advance.
void FreeTypeFont::DrawLines(Kiv::Bitmap& atlas, int64_t x, int64_t baseline,
                             int64_t advance) const {
    const FT_Fixed scale = face_->size->metrics.y_scale;
    const int64_t underlineThickness = Round26(FT_MulFix(face_->underline_thickness, scale));
    if (style_.underline) {
        const int64_t centre = baseline - Round26(FT_MulFix(face_->underline_position, scale));
        FillBand(atlas, x, advance, centre - underlineThickness / 2, underlineThickness);
    }
    if (!style_.strikeOut) return;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        const int64_t top = baseline - Round26(FT_MulFix(os2->yStrikeoutPosition, scale));
        FillBand(atlas, x, advance, top, Round26(FT_MulFix(os2->yStrikeoutSize, scale)));
    } else {
        FillBand(atlas, x, advance, baseline - Ascent() / 3, underlineThickness);
    }
}
