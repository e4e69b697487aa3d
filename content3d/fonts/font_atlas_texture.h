// The display texture made from a font's atlas when the font is made: display format 1,
// the atlas uploaded once as level 0. Text is drawn from the atlas pixels, which the font
// owns, so nothing reads the texture afterwards and glyphs drawn later are not uploaded.
// Without a render kernel (or when its display cannot make or fill the texture) the font
// keeps no display texture, only the kernel and format it was given.
#pragma once

#include <cstdint>
#include <memory>

namespace Kiv {
class Bitmap;
class DisplayTexture;
class RenderKernel;
} // namespace Kiv

class FontAtlasTexture {
  public:
    static constexpr int32_t kDisplayFormat = 1;

    static std::unique_ptr<FontAtlasTexture> Create(Kiv::RenderKernel* renderKernel,
                                                    const Kiv::Bitmap& atlas, int32_t format);
    ~FontAtlasTexture();
    FontAtlasTexture(const FontAtlasTexture&) = delete;
    FontAtlasTexture& operator=(const FontAtlasTexture&) = delete;

    Kiv::RenderKernel* GetRenderKernel() const { return renderKernel_; }
    int32_t GetFormat() const { return format_; }
    // The uploaded texture; null without one.
    const Kiv::DisplayTexture* GetDisplayTexture() const { return displayTexture_.get(); }

  private:
    FontAtlasTexture(Kiv::RenderKernel* renderKernel, int32_t format,
                     std::unique_ptr<Kiv::DisplayTexture> displayTexture);

    Kiv::RenderKernel* renderKernel_;
    int32_t format_;
    std::unique_ptr<Kiv::DisplayTexture> displayTexture_;
};
