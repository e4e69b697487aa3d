// TTFont's making and unmaking: Init's steps, the glyph ranges and index, the glyph lookup
// with the fallback font, the drawing context. Glyph cells are in tt_font_glyph.cpp,
// drawing and measuring in tt_font_draw.cpp.
#include "content3d/fonts/tt_font.h"

#include <algorithm>

#include "content3d/fonts/char_sets.h"
#include "content3d/fonts/unicode_ranges.h"
#include "foundation/console/log_message.h"
#include "foundation/text/code_pages.h"

namespace {

TTFont* gFallbackFont = nullptr;

constexpr size_t kMaxFaceUnits = 256;
constexpr int32_t kMinAtlasSize = 64;
constexpr int32_t kMaxAtlasSize = 512;
constexpr int32_t kMissingSpaceAdvance = 10;

int64_t Advance(const GlyphMetrics& metrics) {
    return int64_t{metrics.a} + metrics.b + metrics.c;
}

// How many cells of a side fit along it; none for a cell that is not at least a pixel.
int64_t CellsAlong(int64_t side, int64_t cell) { return cell > 0 ? side / cell : 0; }

}  // namespace

TTFont::TTFont(GlyphRasteriser& rasteriser, Kiv::RenderKernel* renderKernel)
    : rasteriser_(rasteriser), renderKernel_(renderKernel) {}

TTFont::~TTFont() { Destroy(); }

void TTFont::SetFallbackFont(TTFont* font) { gFallbackFont = font; }

TTFont* TTFont::GetFallbackFont() { return gFallbackFont; }

bool TTFont::Init(const char* charSetName, const char* faceName, int32_t height,
                  uint32_t styleFlags) {
    ReleaseResources();
    styleFlags_ = styleFlags;
    const char* face = faceName ? faceName : "";
    if (!CreateRasterFont(face, CharSetFromName(charSetName), height)) return false;
    RasterTextMetrics metrics;
    if (!font_->GetTextMetrics(metrics)) {
        LogMessage("TTFont::Init> '%s' GetTextMetricsW failed", face);
        return false;
    }
    height_ = metrics.height;
    ascent_ = metrics.ascent;
    shadowOffset_ = 0;
    if (styleFlags_ & kShadow) {
        shadowOffset_ = 1;
        height_ = metrics.height < INT32_MAX ? metrics.height + 1 : metrics.height;
    }
    UnicodeSubsetBits bits;
    if (font_->GetTextCharsetInfo(bits) == kDefaultCharSet) {
        LogMessage("TTFont::Init> '%s' DEFAULT_CHARSET", face);
        return false;
    }
    if (!ReadRanges(bits, face)) return false;
    SetWidthsAndCells();
    return MakeAtlas(face);
}

bool TTFont::CreateRasterFont(const char* faceName, int32_t charSet, int32_t height) {
    std::u16string face = ConvertAnsiToWide(faceName);
    if (face.size() > kMaxFaceUnits) face.resize(kMaxFaceUnits);
    for (;;) {
        RasterFontRequest request;
        request.face = face;
        request.charSet = charSet;
        request.height = height;
        request.weight = (styleFlags_ & kBold) ? 700 : 400;
        request.italic = (styleFlags_ & kItalic) != 0;
        request.underline = (styleFlags_ & kUnderline) != 0;
        request.strikeOut = (styleFlags_ & kStrikeOut) != 0;
        request.antiAliased = (styleFlags_ & kAntiAliased) != 0;
        font_ = rasteriser_.CreateFont(request);
        if (font_) return true;
        LogMessage("TTFont::Init> '%s' CreateFontW failed", faceName);
        if (charSet == kDefaultCharSet) {
            LogMessage("TTFont::Init> '%s' failed retry", faceName);
            return false;
        }
        LogMessage("TTFont::Init> '%s' retrying with DEFAULT_CHARSET", faceName);
        charSet = kDefaultCharSet;
    }
}

bool TTFont::ReadRanges(const UnicodeSubsetBits& bits, const char* faceName) {
    uint32_t count = 0;
    for (const UnicodeRangeRow& row : UnicodeRangeRows()) {
        if (!bits.Has(row.subsetBit)) continue;
        ranges_.push_back({count, row.first, row.last});
        count += row.last - row.first + 1;
    }
    glyphMetrics_.assign(count, GlyphMetrics{});
    for (size_t i = 0; i < ranges_.size(); ++i) {
        const GlyphRange& range = ranges_[i];
        if (font_->GetCharWidths(range.first, range.last, &glyphMetrics_[range.firstIndex]))
            continue;
        ranges_.clear();
        glyphMetrics_.clear();
        LogMessage("TTFont::Init> '%s' Unable to get char widths for range %d", faceName,
                   static_cast<int>(i));
        return false;
    }
    return true;
}

void TTFont::SetWidthsAndCells() {
    if (HasLineStyle()) {
        for (GlyphMetrics& metrics : glyphMetrics_)
            metrics = {0, static_cast<uint32_t>(Advance(metrics)), 0};
    }
    uint32_t widest = 0;
    for (const GlyphMetrics& metrics : glyphMetrics_) widest = std::max(widest, metrics.b);

    const auto present = [this](uint32_t codePoint) {
        const int64_t index = GetGlyphIndex(codePoint);
        return index >= 0 && font_->GetGlyphIndex(codePoint) != 0 ? index : int64_t{-1};
    };
    const int64_t question = present(0x3F);
    defaultGlyph_ = question >= 0 ? question : 0;
    const int64_t space = present(0x20);
    spaceAdvance_ = space >= 0 ? static_cast<int32_t>(Advance(glyphMetrics_[space]))
                               : kMissingSpaceAdvance;

    const int64_t cellWidth = int64_t{shadowOffset_} + widest + 1 + (HasLineStyle() ? 1 : 0);
    cellWidth_ = static_cast<int32_t>(std::min<int64_t>(cellWidth, INT32_MAX));
}

bool TTFont::MakeAtlas(const char* faceName) {
    const int64_t cellHeight = int64_t{height_} + 1;
    int32_t side = kMinAtlasSize;
    while (CellsAlong(side, cellHeight) * CellsAlong(side, cellWidth_) <= 63 &&
           side < kMaxAtlasSize)
        side *= 2;
    atlasSize_ = side;
    columns_ = static_cast<int32_t>(CellsAlong(side, cellWidth_));
    rows_ = static_cast<int32_t>(CellsAlong(side, cellHeight));
    texelScale_ = 1.0f / static_cast<float>(side);

    atlasBitmap_ = Kiv::Bitmap::Create(side, side, Kiv::Bitmap::kFormatBGRA);
    if (!atlasBitmap_) {
        LogMessage("TTFont::Init> '%s' CreateDIBSection failed", faceName);
        return false;
    }
    cells_.resize(size_t(columns_) * size_t(rows_));
    for (size_t i = 0; i < cells_.size(); ++i) {
        GlyphCell& cell = cells_[i];
        cell.previous = static_cast<int32_t>(i) - 1;
        cell.next = i + 1 < cells_.size() ? static_cast<int32_t>(i + 1) : -1;
        cell.x = cellWidth_ * static_cast<int32_t>(i % columns_);
        cell.y = static_cast<int32_t>(i / columns_) * static_cast<int32_t>(cellHeight);
    }
    firstCell_ = cells_.empty() ? -1 : 0;
    lastCell_ = static_cast<int32_t>(cells_.size()) - 1;
    atlasTexture_ =
        FontAtlasTexture::Create(renderKernel_, *atlasBitmap_, FontAtlasTexture::kDisplayFormat);
    return true;
}

int64_t TTFont::GetGlyphIndex(uint32_t codePoint) const {
    if (codePoint == 0x2013) {
        const int64_t dash = GetGlyphIndex(0x2D);
        if (dash >= 0) return dash;
    }
    if (codePoint >= 0x10000) return -1;
    for (const GlyphRange& range : ranges_) {
        if (codePoint >= range.first && codePoint <= range.last)
            return int64_t{range.firstIndex} + (codePoint - range.first);
    }
    return -1;
}

TTFont::GlyphSource TTFont::GlyphAt(int64_t index) const {
    for (const GlyphRange& range : ranges_) {
        if (index >= range.firstIndex && index - range.firstIndex <= range.last - range.first)
            return {&glyphMetrics_[index], this,
                    range.first + static_cast<uint32_t>(index - range.firstIndex)};
    }
    return {};
}

TTFont::GlyphSource TTFont::FindGlyphSource(uint32_t codePoint) const {
    const int64_t own = GetGlyphIndex(codePoint);
    if (own >= 0) return GlyphAt(own);
    if (gFallbackFont && gFallbackFont != this) {
        const int64_t fallback = gFallbackFont->GetGlyphIndex(codePoint);
        if (fallback >= 0) return gFallbackFont->GlyphAt(fallback);
    }
    if (glyphMetrics_.empty()) return {};
    return GlyphAt(defaultGlyph_);
}

const GlyphMetrics* TTFont::FindGlyph(uint32_t codePoint, const TTFont** owner) const {
    const GlyphSource source = FindGlyphSource(codePoint);
    if (owner) *owner = source.owner;
    return source.metrics;
}

void TTFont::EnsureDC() {
    if (!dc_) dc_ = std::make_unique<DrawingContext>(DrawingContext{atlasBitmap_.get(), font_.get()});
}

void TTFont::ReleaseResources() {
    dc_.reset();
    font_.reset();
    cellMap_.clear();
    cells_.clear();
    firstCell_ = lastCell_ = -1;
    atlasBitmap_.reset();
    atlasTexture_.reset();
    ranges_.clear();
    glyphMetrics_.clear();
}

void TTFont::Destroy() {
    if (gFallbackFont == this) gFallbackFont = nullptr;
    ReleaseResources();
}
