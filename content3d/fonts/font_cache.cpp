// FontCache::GetFont: the walk over the rows, and a new font made and appended.
#include "content3d/fonts/font_cache.h"

#include <algorithm>
#include <atomic>

#include "content3d/fonts/freetype_rasteriser.h"

namespace {

std::atomic<Kiv::RenderKernel*> g_processRenderKernel{nullptr};

}  // namespace

FontCache& FontCache::Instance() {
    static FontCache* cache = new FontCache(FreeTypeRasteriser::Instance(), ProcessKernel{});
    return *cache;
}

void FontCache::SetProcessRenderKernel(Kiv::RenderKernel* renderKernel) {
    g_processRenderKernel.store(renderKernel);
}

Kiv::RenderKernel* FontCache::GetProcessRenderKernel() {
    return g_processRenderKernel.load();
}

TTFont* FontCache::GetFont(uint8_t bold, uint8_t italic, uint8_t underline, uint8_t strikeOut,
                           uint8_t shadow, uint8_t antiAliased, int32_t height,
                           const Kiv::PString& charSet, const Kiv::PString& face) {
    const uint8_t style[6] = {bold, italic, underline, strikeOut, shadow, antiAliased};
    for (size_t i = 0; i < rowCount_; ++i) {
        FontCacheEntry& row = Row(i);
        if (std::equal(style, style + 6, row.style) && row.height == height &&
            row.charSet == charSet && row.face == face)
            return row.font.get();
    }
    auto font = std::make_unique<TTFont>(
        rasteriser_, usesProcessKernel_ ? GetProcessRenderKernel() : renderKernel_);
    const uint32_t flags = (bold ? TTFont::kBold : 0u) | (underline ? TTFont::kUnderline : 0u) |
                           (italic ? TTFont::kItalic : 0u) |
                           (strikeOut ? TTFont::kStrikeOut : 0u) | (shadow ? TTFont::kShadow : 0u) |
                           (antiAliased ? TTFont::kAntiAliased : 0u);
    if (!font->Init(charSet.Text(), face.Text(), height, flags)) return nullptr;
    if (rowCount_ % kBlockRows == 0) blocks_.push_back(std::make_unique<Block>());
    FontCacheEntry& row = Row(rowCount_++);
    std::copy(style, style + 6, row.style);
    row.height = height;
    row.charSet = charSet;
    row.face = face;
    row.font = std::move(font);
    return row.font.get();
}
