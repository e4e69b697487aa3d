// The box filter's sampling, shared by Bitmap::Scale and the scaling image copy: which
// source cells one target cell covers, and their rounded mean.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

namespace Kiv {

// The source span [first, last) of target cell i of count cells over size source cells;
// at least one cell when enlarging.
inline std::pair<uint32_t, uint32_t> Footprint(uint64_t i, uint64_t count, uint32_t size) {
    const uint64_t first = i * size / count;
    uint64_t last = (i + 1) * size / count;
    if (last <= first) last = first + 1;
    return {static_cast<uint32_t>(first), static_cast<uint32_t>(std::min<uint64_t>(last, size))};
}

// The rounded mean of the pixels [left, right) x [top, bottom), offset by (x0, y0), of a
// 32-bit bitmap (pixelAt(x, y) gives a pixel's four bytes).
template <class PixelAt>
void BoxMean(PixelAt pixelAt, uint32_t x0, uint32_t y0, std::pair<uint32_t, uint32_t> columns,
             std::pair<uint32_t, uint32_t> rows, uint8_t* out) {
    uint64_t sums[4] = {};
    for (uint32_t y = rows.first; y < rows.second; ++y)
        for (uint32_t x = columns.first; x < columns.second; ++x) {
            const uint8_t* pixel = pixelAt(x0 + x, y0 + y);
            for (int c = 0; c < 4; ++c) sums[c] += pixel[c];
        }
    const uint64_t count = uint64_t{rows.second - rows.first} * (columns.second - columns.first);
    for (int c = 0; c < 4; ++c) out[c] = static_cast<uint8_t>((sums[c] + count / 2) / count);
}

}  // namespace Kiv
