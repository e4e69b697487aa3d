// Pixel rules shared by the bitmap's drawing and copies: the blend of one colour over a
// pixel, and rectangles clipped to a bitmap in 64-bit arithmetic, so no coordinate a
// script gives can overflow or reach outside the pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace Kiv::BitmapPaint {

// Colour channels: out = (src * a + dst * (255 - a) + 127) / 255; alpha: a + dst alpha
// * (255 - a) / 255, rounded the same way.
inline void Blend(uint8_t* pixel, const uint8_t* colour) {
    const uint32_t a = colour[3];
    for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<uint8_t>((colour[c] * a + pixel[c] * (255 - a) + 127) / 255);
    pixel[3] = static_cast<uint8_t>(a + (pixel[3] * (255 - a) + 127) / 255);
}

inline void Put(uint8_t* pixel, const uint8_t* colour, bool blend) {
    if (blend)
        Blend(pixel, colour);
    else
        std::memcpy(pixel, colour, 4);
}

// A half-open pixel range [x0, x1) x [y0, y1).
struct Area {
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

inline Area Intersect(const Area& a, const Area& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// A rectangle of corner and size; a non-positive size gives an empty area.
inline Area AreaOf(int64_t x, int64_t y, int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return {};
    return {x, y, x + width, y + height};
}

}  // namespace Kiv::BitmapPaint
