// TTFont: one font's glyphs, for drawing text into 32-bit bitmaps. Init makes the font
// through the glyph rasteriser, reads the widths of every code point in the Unicode ranges
// the font covers, and sizes a square atlas (64 to 512 pixels) of equal cells. GetGlyph
// draws a glyph into a free cell on first use and converts it to white-on-transparent
// pixels; DrawGlyph blends a cell into a bitmap in a colour. Cells are handed out in use
// order and their use counts never fall, so a glyph keeps its cell for the font's life and
// a full atlas refuses new glyphs while the ones it holds still draw.
// A process-wide fallback font, when set, supplies glyphs a font lacks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "content3d/fonts/font_atlas_texture.h"
#include "content3d/fonts/glyph_rasteriser.h"
#include "engine/bitmap.h"

namespace Kiv {
class RenderKernel;
}

struct GlyphRange {
    uint32_t firstIndex;  // index of `first` in the font's glyph metrics
    uint32_t first;
    uint32_t last;
    bool operator==(const GlyphRange&) const = default;
};

struct GlyphCell {
    int32_t previous = -1;  // the use-ordered list, by cell index; -1 ends it
    int32_t next = -1;
    uint32_t codePoint = 0;  // 0: free
    GlyphMetrics metrics;    // the widths of the glyph the cell holds
    uint32_t useCount = 0;
    int32_t x = 0;  // top-left pixel in the atlas
    int32_t y = 0;
};

// Where GetGlyph put a glyph and how wide it is.
struct GlyphPlacement {
    float u = 0, v = 0;           // cell origin, in atlas coordinates (0 to 1)
    float width = 0, height = 0;  // cell size, in atlas coordinates
    int32_t a = 0;                // leading width
    uint32_t b = 0;               // body width, shadow included
    int32_t c = 0;                // trailing width
};

class TTFont {
  public:
    // Style flags.
    static constexpr uint32_t kBold = 1;
    static constexpr uint32_t kUnderline = 2;
    static constexpr uint32_t kItalic = 4;
    static constexpr uint32_t kStrikeOut = 32;
    static constexpr uint32_t kShadow = 64;
    static constexpr uint32_t kAntiAliased = 128;

    TTFont(GlyphRasteriser& rasteriser, Kiv::RenderKernel* renderKernel);
    ~TTFont();
    TTFont(const TTFont&) = delete;
    TTFont& operator=(const TTFont&) = delete;

    // Makes the font; false with the reason in the log. charSetName and faceName may be null.
    bool Init(const char* charSetName, const char* faceName, int32_t height, uint32_t styleFlags);

    // The glyph of a code point, drawn into the atlas on first use. False when the font has
    // no glyph for it or the atlas has no free cell; a glyph with nothing to draw (control
    // characters, whitespace, zero advance, a failed draw) succeeds with an empty cell.
    bool GetGlyph(uint32_t codePoint, GlyphPlacement& placement);
    // Blends the atlas cell (u, v, width, height in atlas coordinates) into destination at
    // (x, y) in colour (blue, green, red, alpha), clipped to both bitmaps. False without an
    // atlas, or when destination is not a 32-bit bitmap.
    static bool DrawGlyph(const TTFont* font, Kiv::Bitmap& destination, float u, float v,
                          const uint8_t colour[4], float width, float height, int32_t x,
                          int32_t y);
    // The width of UTF-8 text in pixels, without the last glyph's trailing width and
    // trailing whitespace.
    int32_t MeasureText(std::string_view text) const;
    // The widths of a code point's glyph: this font's, else the fallback font's, else this
    // font's default glyph; null when none. *owner (when owner is not null) is the font
    // whose glyph it is.
    const GlyphMetrics* FindGlyph(uint32_t codePoint, const TTFont** owner = nullptr) const;
    // The index of a code point in the glyph metrics; -1 when the font has none for it.
    int64_t GetGlyphIndex(uint32_t codePoint) const;

    // The drawing context: made when a glyph is drawn, dropped by the caller after a text.
    void EnsureDC();
    void ReleaseDC() { dc_.reset(); }
    bool HasDC() const { return dc_ != nullptr; }
    void ReleaseResources();
    void Destroy();

    static void SetFallbackFont(TTFont* font);
    static TTFont* GetFallbackFont();

    uint32_t GetStyleFlags() const { return styleFlags_; }
    int32_t GetHeight() const { return height_; }
    int32_t GetAscent() const { return ascent_; }
    int32_t GetCellWidth() const { return cellWidth_; }
    int32_t GetAtlasSize() const { return atlasSize_; }
    int32_t GetColumns() const { return columns_; }
    int32_t GetRows() const { return rows_; }
    int32_t GetSpaceAdvance() const { return spaceAdvance_; }
    int32_t GetShadowOffset() const { return shadowOffset_; }
    int64_t GetDefaultGlyph() const { return defaultGlyph_; }
    float GetTexelScale() const { return texelScale_; }
    std::span<const GlyphRange> GetRanges() const { return ranges_; }
    std::span<const GlyphMetrics> GetGlyphMetrics() const { return glyphMetrics_; }
    std::span<const GlyphCell> GetCells() const { return cells_; }
    const Kiv::Bitmap* GetAtlas() const { return atlasBitmap_.get(); }
    const FontAtlasTexture* GetAtlasTexture() const { return atlasTexture_.get(); }

  private:
    // What a drawing context has selected: the atlas it draws into and a font.
    struct DrawingContext {
        Kiv::Bitmap* atlas;
        RasterFont* font;
    };
    // A glyph found for a code point: its widths, the font that has it, and the code point
    // whose glyph is drawn (U+2013 is drawn as "-", a missing code point as the default
    // glyph's).
    struct GlyphSource {
        const GlyphMetrics* metrics = nullptr;
        const TTFont* owner = nullptr;
        uint32_t drawn = 0;
    };

    bool HasLineStyle() const { return (styleFlags_ & (kUnderline | kStrikeOut)) != 0; }
    bool CreateRasterFont(const char* faceName, int32_t charSet, int32_t height);
    bool ReadRanges(const UnicodeSubsetBits& bits, const char* faceName);
    void SetWidthsAndCells();
    bool MakeAtlas(const char* faceName);
    GlyphSource FindGlyphSource(uint32_t codePoint) const;
    GlyphSource GlyphAt(int64_t index) const;
    int32_t FillCell(uint32_t codePoint, const GlyphSource& source);
    void ConvertCell(const GlyphCell& cell);
    void CountUse(int32_t cell);
    void Unlink(int32_t cell);
    void InsertBefore(int32_t cell, int32_t before);

    GlyphRasteriser& rasteriser_;
    std::unique_ptr<DrawingContext> dc_;
    std::unique_ptr<RasterFont> font_;
    std::unique_ptr<Kiv::Bitmap> atlasBitmap_;
    std::unique_ptr<FontAtlasTexture> atlasTexture_;
    int32_t height_ = 0;
    int32_t ascent_ = 0;
    int32_t cellWidth_ = 0;
    int32_t atlasSize_ = 0;
    int32_t spaceAdvance_ = 0;
    float texelScale_ = 0;
    int32_t columns_ = 0;
    int32_t rows_ = 0;
    uint32_t styleFlags_ = 0;
    int32_t shadowOffset_ = 0;
    std::vector<GlyphMetrics> glyphMetrics_;
    std::map<uint32_t, int32_t> cellMap_;  // code point to cell index
    std::vector<GlyphCell> cells_;
    int32_t firstCell_ = -1;  // ends of the use-ordered list
    int32_t lastCell_ = -1;
    Kiv::RenderKernel* renderKernel_;
    std::vector<GlyphRange> ranges_;
    int64_t defaultGlyph_ = 0;
};
