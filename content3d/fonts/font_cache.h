// FontCache: one TTFont per style, height, face and character set, for the life of the
// process. Rows are looked up in the order they were made; names are interned, so they
// match by identity. A font that cannot be made is not cached, so the next request tries
// again. The program's cache (Instance) uses the FreeType rasteriser and is never freed; it
// hands each new font the process's render kernel at the time (start-up's, set through
// SetProcessRenderKernel). Tests make their own caches over a fake rasteriser.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "content3d/fonts/glyph_rasteriser.h"
#include "content3d/fonts/tt_font.h"
#include "engine/pstring.h"

namespace Kiv {
class RenderKernel;
}

struct FontCacheEntry {
    uint8_t style[6] = {};  // bold, italic, underline, strike-out, shadow, anti-aliased
    int32_t height = 0;
    Kiv::PString charSet;  // may be null
    Kiv::PString face;
    std::unique_ptr<TTFont> font;
};

class FontCache {
  public:
    static constexpr size_t kBlockRows = 16;

    // renderKernel is the one whose display receives the fonts' atlas textures.
    FontCache(GlyphRasteriser& rasteriser, Kiv::RenderKernel* renderKernel)
        : rasteriser_(rasteriser), renderKernel_(renderKernel) {}
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The program's cache, on the FreeType rasteriser, with the process's render kernel.
    static FontCache& Instance();
    // The process's render kernel (null: none), which start-up sets when it makes its
    // kernel and clears before the kernel goes. Fonts made before keep their textures.
    static void SetProcessRenderKernel(Kiv::RenderKernel* renderKernel);
    static Kiv::RenderKernel* GetProcessRenderKernel();

    // The font of that style, height, character set and face; null when it cannot be made.
    TTFont* GetFont(uint8_t bold, uint8_t italic, uint8_t underline, uint8_t strikeOut,
                    uint8_t shadow, uint8_t antiAliased, int32_t height,
                    const Kiv::PString& charSet, const Kiv::PString& face);
    size_t GetRowCount() const { return rowCount_; }

  private:
    struct ProcessKernel {};
    FontCache(GlyphRasteriser& rasteriser, ProcessKernel)
        : rasteriser_(rasteriser), renderKernel_(nullptr), usesProcessKernel_(true) {}

    using Block = std::array<FontCacheEntry, kBlockRows>;

    FontCacheEntry& Row(size_t index) { return (*blocks_[index / kBlockRows])[index % kBlockRows]; }

    GlyphRasteriser& rasteriser_;
    Kiv::RenderKernel* renderKernel_;
    bool usesProcessKernel_ = false;
    std::vector<std::unique_ptr<Block>> blocks_;
    size_t rowCount_ = 0;
};
