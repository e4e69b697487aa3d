// Kiv::Bitmap: an image in memory. Formats (the engine's numbers): 2 is 32-bit BGRA with
// alpha, 3 is 32-bit BGRA whose alpha byte is not used (kept 0xFF by the readers), 5 is raw
// compressed bytes (a block-compressed mip level) of a given byte count. Sides lie within
// 1..16384.
//
// Decode reads TGA and BMP through the engine's own readers and PNG and JPEG through libpng
// and libjpeg; every reader treats the bytes as hostile (engine/bitmap_readers.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Kiv {

class Bitmap {
public:
    enum Format : int32_t { kFormatBGRA = 2, kFormatBGRX = 3, kFormatRaw = 5 };
    static constexpr uint32_t kMaxSide = 16384;

    // A zeroed bitmap; byteCount is used by the raw format only (the 32-bit formats hold
    // width * height * 4 bytes). Null for a side outside 1..kMaxSide, another format, or a
    // raw byte count of 0 or above 256 MiB.
    static std::unique_ptr<Bitmap> Create(uint32_t width, uint32_t height, Format format,
                                          size_t byteCount = 0);
    // The image in bytes, by its signature (PNG, JPEG, BMP) or, for TGA, which has none,
    // by fileName ending in ".tga". Null with a reason in error when it cannot be read.
    static std::unique_ptr<Bitmap> Decode(std::span<const uint8_t> bytes, std::string_view fileName,
                                          std::string& error);

    // The image in the file at path (resolved like every engine path), decoded as above.
    // Null with a reason in error when the file cannot be read, is larger than 256 MiB or
    // does not decode.
    static std::unique_ptr<Bitmap> Load(const char* path, std::string& error);

    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    Format GetFormat() const { return format_; }
    uint8_t* GetPixels() { return pixels_.data(); }
    const uint8_t* GetPixels() const { return pixels_.data(); }
    size_t GetByteCount() const { return pixels_.size(); }
    // The 4 bytes (B, G, R, A) of a pixel of a 32-bit bitmap.
    uint8_t* PixelAt(uint32_t x, uint32_t y) { return &pixels_[(size_t{y} * width_ + x) * 4]; }
    const uint8_t* PixelAt(uint32_t x, uint32_t y) const {
        return &pixels_[(size_t{y} * width_ + x) * 4];
    }

    std::unique_ptr<Bitmap> Clone() const;
    // Resamples a 32-bit bitmap to the new size: each target pixel is the mean of the
    // source pixels its area covers (at least the nearest one). False, unchanged, for the
    // raw format or a side outside 1..kMaxSide.
    bool Scale(uint32_t width, uint32_t height);

private:
    Bitmap(uint32_t width, uint32_t height, Format format, size_t byteCount)
        : width_(width), height_(height), format_(format), pixels_(byteCount) {}

    uint32_t width_;
    uint32_t height_;
    Format format_;
    std::vector<uint8_t> pixels_;
};

}  // namespace Kiv
