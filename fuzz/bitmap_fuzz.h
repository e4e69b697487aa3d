// What every image reader's fuzz target checks: any bytes either fail with a reason or give a
// bitmap whose sides are within 1..16384 and whose pixel bytes are exactly width * height * 4.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "engine/bitmap_readers.h"
#include "fuzz_support.h"

using BitmapReader = std::unique_ptr<Kiv::Bitmap> (*)(std::span<const uint8_t>, std::string&);

inline int FuzzBitmapReader(BitmapReader read, const uint8_t* data, size_t size) {
    std::string error;
    std::unique_ptr<Kiv::Bitmap> bitmap = read({data, size}, error);
    if (!bitmap) {
        fuzz::Require(!error.empty(), "a refused image says why");
        return 0;
    }
    const uint32_t width = bitmap->GetWidth();
    const uint32_t height = bitmap->GetHeight();
    fuzz::Require(width >= 1 && width <= Kiv::Bitmap::kMaxSide && height >= 1 &&
                      height <= Kiv::Bitmap::kMaxSide,
                  "the bitmap's sides are within bounds");
    fuzz::Require(bitmap->GetByteCount() == size_t{width} * height * 4,
                  "the bitmap holds four bytes a pixel");
    fuzz::Require(bitmap->GetFormat() == Kiv::Bitmap::kFormatBGRA ||
                      bitmap->GetFormat() == Kiv::Bitmap::kFormatBGRX,
                  "the bitmap is BGRA or BGRX");
    return 0;
}
