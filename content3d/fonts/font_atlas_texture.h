// The display texture made from a font's atlas when the font is made (display format 1,
// uploaded at once). Not connected yet: the engine's display textures are not in this
// program, so Create keeps the render kernel and format it was given and uploads nothing.
// Text is drawn only from the atlas pixels, which the font owns, so nothing reads the
// texture; when the display lands, Create makes and uploads the display texture here.
#pragma once

#include <cstdint>
#include <memory>

namespace Kiv {
class Bitmap;
class RenderKernel;
}  // namespace Kiv

class FontAtlasTexture {
  public:
    static constexpr int32_t kDisplayFormat = 1;

    static std::unique_ptr<FontAtlasTexture> Create(Kiv::RenderKernel* renderKernel,
                                                    const Kiv::Bitmap& atlas, int32_t format);

    Kiv::RenderKernel* GetRenderKernel() const { return renderKernel_; }
    int32_t GetFormat() const { return format_; }

  private:
    FontAtlasTexture(Kiv::RenderKernel* renderKernel, int32_t format)
        : renderKernel_(renderKernel), format_(format) {}

    Kiv::RenderKernel* renderKernel_;
    int32_t format_;
};
