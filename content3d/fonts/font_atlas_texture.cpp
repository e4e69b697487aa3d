// The atlas texture's stand-in: what a later display will make and upload.
#include "content3d/fonts/font_atlas_texture.h"

std::unique_ptr<FontAtlasTexture> FontAtlasTexture::Create(Kiv::RenderKernel* renderKernel,
                                                           const Kiv::Bitmap&, int32_t format) {
    return std::unique_ptr<FontAtlasTexture>(new FontAtlasTexture(renderKernel, format));
}
