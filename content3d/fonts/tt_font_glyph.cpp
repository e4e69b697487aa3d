// TTFont::GetGlyph: a glyph's cell in the atlas, drawn and converted on first use, and the
// use-ordered list that hands out free cells (ascending use counts, free cells first).
#include <algorithm>
#include <cstring>

#include "content3d/fonts/tt_font.h"
#include "content3d/fonts/utf8_char.h"

namespace {

uint32_t ReadPixel(const Kiv::Bitmap& atlas, int64_t x, int64_t y) {
    uint32_t pixel;
    std::memcpy(&pixel, atlas.PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), 4);
    return pixel;
}

void CopyPixel(Kiv::Bitmap& atlas, int64_t toX, int64_t fromX, int64_t y) {
    std::memcpy(atlas.PixelAt(static_cast<uint32_t>(toX), static_cast<uint32_t>(y)),
                atlas.PixelAt(static_cast<uint32_t>(fromX), static_cast<uint32_t>(y)), 4);
}

}  // namespace

bool TTFont::GetGlyph(uint32_t codePoint, GlyphPlacement& placement) {
    placement = GlyphPlacement{};
    if (codePoint < 32 && codePoint != 9) return true;
    if (codePoint <= 0xFFFF && IsFontWhitespace(codePoint)) {
        if (!HasLineStyle()) {
            placement.b = static_cast<uint32_t>(spaceAdvance_);
            return true;
        }
        codePoint = 0x20;
    }
    if (codePoint == 0x2019) codePoint = 0x27;
    const GlyphSource source = FindGlyphSource(codePoint);
    if (!source.metrics) return false;
    const GlyphMetrics& metrics = *source.metrics;
    if (int64_t{metrics.a} + metrics.b + metrics.c == 0) return true;

    int32_t index;
    const auto held = cellMap_.find(codePoint);
    if (held != cellMap_.end()) {
        index = held->second;
    } else {
        index = FillCell(codePoint, source);
        if (index < 0) return false;
        if (cells_[index].codePoint == 0) return true;
    }
    CountUse(index);
    const GlyphCell& cell = cells_[index];
    placement.u = static_cast<float>(cell.x) * texelScale_;
    placement.v = static_cast<float>(cell.y) * texelScale_;
    placement.b = cell.metrics.b + static_cast<uint32_t>(shadowOffset_);
    placement.width = static_cast<float>(placement.b) * texelScale_;
    placement.height = static_cast<float>(height_) * texelScale_;
    placement.a = cell.metrics.a;
    placement.c = cell.metrics.c;
    return true;
}

// Draws the glyph into the first cell of the use-ordered list: the cell's index, or -1
// when no cell is free. A failed draw leaves the cell free (code point 0).
int32_t TTFont::FillCell(uint32_t codePoint, const GlyphSource& source) {
    EnsureDC();
    if (firstCell_ < 0 || cells_[firstCell_].useCount != 0) return -1;
    const int32_t index = firstCell_;
    GlyphCell& cell = cells_[index];
    if (cell.codePoint != 0) cellMap_.erase(cell.codePoint);
    cell.codePoint = codePoint;
    cell.metrics = *source.metrics;
    if (source.owner != this) dc_->font = source.owner->font_.get();
    const bool drawn = dc_->font->DrawChar(*dc_->atlas, cell.x - cell.metrics.a, cell.y,
                                           static_cast<char16_t>(source.drawn));
    dc_->font = font_.get();
    if (!drawn) {
        cell.codePoint = 0;
        cell.metrics = GlyphMetrics{};
        return index;
    }
    ConvertCell(cell);
    cellMap_[codePoint] = index;
    return index;
}

// Turns the drawn grey pixels into white glyph pixels with alpha, bottom row first so a
// shadow pixel still sees its upper-left neighbour as drawn. Writes stay in the cell, but
// for the joins of underline and strike-out, which reach one pixel into the left cell.
void TTFont::ConvertCell(const GlyphCell& cell) {
    Kiv::Bitmap& atlas = *atlasBitmap_;
    const bool shadow = shadowOffset_ != 0;
    const bool antiAliased = (styleFlags_ & kAntiAliased) != 0;
    const int64_t left = cell.x;
    const int64_t cellEnd = left + cellWidth_;
    const int64_t end = std::min(left + cell.metrics.b + shadowOffset_, cellEnd);
    for (int64_t y = int64_t{cell.y} + height_ - 1; y >= cell.y; --y) {
        for (int64_t x = left; x < end; ++x) {
            uint8_t* pixel = atlas.PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
            if (ReadPixel(atlas, x, y) != 0) {
                pixel[3] = 255;
            } else if (shadow && x > left && y > cell.y && ReadPixel(atlas, x - 1, y - 1) != 0) {
                pixel[3] = atlas.PixelAt(static_cast<uint32_t>(x - 1), static_cast<uint32_t>(y - 1))[0];
            } else if (!shadow && !antiAliased) {
                pixel[0] = pixel[1] = pixel[2] = 255;
                pixel[3] = 0;
            }
        }
        if (!HasLineStyle()) continue;
        const int64_t right = left + cell.metrics.b + shadowOffset_;
        if (right < cellEnd && right - 1 - shadowOffset_ >= left)
            CopyPixel(atlas, right, right - 1 - shadowOffset_, y);
        if (left > 0) CopyPixel(atlas, left - 1, left, y);
    }
}

// One more use: the cell moves towards the end of the list past every cell used less.
void TTFont::CountUse(int32_t index) {
    GlyphCell& cell = cells_[index];
    if (cell.useCount < UINT32_MAX) ++cell.useCount;
    int32_t before = cell.next;
    while (before >= 0 && cells_[before].useCount < cell.useCount) before = cells_[before].next;
    if (before == cell.next) return;
    Unlink(index);
    InsertBefore(index, before);
}

void TTFont::Unlink(int32_t index) {
    GlyphCell& cell = cells_[index];
    (cell.previous >= 0 ? cells_[cell.previous].next : firstCell_) = cell.next;
    (cell.next >= 0 ? cells_[cell.next].previous : lastCell_) = cell.previous;
    cell.previous = cell.next = -1;
}

// Links a cell before another, or at the end of the list when before is -1.
void TTFont::InsertBefore(int32_t index, int32_t before) {
    GlyphCell& cell = cells_[index];
    const int32_t after = before >= 0 ? cells_[before].previous : lastCell_;
    cell.previous = after;
    cell.next = before;
    (after >= 0 ? cells_[after].next : firstCell_) = index;
    (before >= 0 ? cells_[before].previous : lastCell_) = index;
}
