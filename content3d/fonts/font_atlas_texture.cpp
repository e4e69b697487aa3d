// The atlas's display texture: made on the render kernel's display and filled at once.
#include "content3d/fonts/font_atlas_texture.h"

#include "engine/bitmap.h"
#include "engine/display_texture.h"
#include "engine/render_kernel.h"

namespace {

// A texture whose surface or upload failed is not kept.
std::unique_ptr<Kiv::DisplayTexture> Upload(Kiv::RenderKernel* renderKernel,
                                            const Kiv::Bitmap& atlas, int32_t format) {
    if (!renderKernel) return nullptr;
    std::unique_ptr<Kiv::DisplayTexture> texture =
        renderKernel->GetDisplay()->CreateDisplayTexture();
    if (!texture->CreateSurface(atlas.GetWidth(), atlas.GetHeight(), format, {}) ||
        !texture->Upload(0, atlas, format))
        return nullptr;
    return texture;
}

} // namespace

std::unique_ptr<FontAtlasTexture> FontAtlasTexture::Create(Kiv::RenderKernel* renderKernel,
                                                           const Kiv::Bitmap& atlas,
                                                           int32_t format) {
    return std::unique_ptr<FontAtlasTexture>(
        new FontAtlasTexture(renderKernel, format, Upload(renderKernel, atlas, format)));
}

FontAtlasTexture::FontAtlasTexture(Kiv::RenderKernel* renderKernel, int32_t format,
                                   std::unique_ptr<Kiv::DisplayTexture> displayTexture)
    : renderKernel_(renderKernel), format_(format), displayTexture_(std::move(displayTexture)) {}

FontAtlasTexture::~FontAtlasTexture() = default;
