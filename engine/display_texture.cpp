// Mip-level counts of the null display.
#include "engine/display_texture.h"

#include <bit>

namespace Kiv {

uint32_t DisplayTexture::GetNumMipLevels(const Display*, uint32_t width, uint32_t height) {
    const uint32_t larger = width > height ? width : height;
    return larger == 0 ? 0 : static_cast<uint32_t>(std::bit_width(larger));
}

}  // namespace Kiv
