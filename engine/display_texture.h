// Kiv::DisplayTexture: the display side of textures. This port's display is the null one
// (engine/display.h), and DisplayTexture only answers how many mip levels a texture of a
// size gets on it: the full chain down to 1 x 1.
#pragma once

#include <cstdint>

namespace Kiv {

class Display;

class DisplayTexture {
public:
    // 1 + floor(log2(larger side)); 0 for an empty size. display may be null.
    static uint32_t GetNumMipLevels(const Display* display, uint32_t width, uint32_t height);
};

}  // namespace Kiv
