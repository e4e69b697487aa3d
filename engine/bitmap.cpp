// Bitmap creation, copying, box-filter scaling and the choice of image reader.
#include "engine/bitmap.h"

#include <algorithm>
#include <cstring>

#include "engine/ascii.h"
#include "engine/bitmap_footprint.h"
#include "engine/bitmap_readers.h"

namespace Kiv {

namespace {

constexpr size_t kMaxRawBytes = size_t{256} << 20;

bool ValidSide(uint32_t side) { return side >= 1 && side <= Bitmap::kMaxSide; }

bool StartsWith(std::span<const uint8_t> bytes, std::string_view signature) {
    return bytes.size() >= signature.size() &&
           std::memcmp(bytes.data(), signature.data(), signature.size()) == 0;
}

bool EndsWithTga(std::string_view name) {
    return name.size() >= 4 && Ascii::EqualsIgnoreCase(name.substr(name.size() - 4), ".tga");
}

}  // namespace

std::unique_ptr<Bitmap> Bitmap::Create(uint32_t width, uint32_t height, Format format,
                                       size_t byteCount) {
    if (!ValidSide(width) || !ValidSide(height)) return nullptr;
    if (format == kFormatRaw) {
        if (byteCount == 0 || byteCount > kMaxRawBytes) return nullptr;
    } else if (format == kFormatBGRA || format == kFormatBGRX) {
        byteCount = size_t{width} * height * 4;
    } else {
        return nullptr;
    }
    return std::unique_ptr<Bitmap>(new Bitmap(width, height, format, byteCount));
}

std::unique_ptr<Bitmap> Bitmap::Decode(std::span<const uint8_t> bytes, std::string_view fileName,
                                       std::string& error) {
    if (StartsWith(bytes, "\x89PNG\r\n\x1a\n")) return BitmapReaders::ReadPng(bytes, error);
    if (StartsWith(bytes, "\xFF\xD8\xFF")) return BitmapReaders::ReadJpeg(bytes, error);
    if (StartsWith(bytes, "BM")) return BitmapReaders::ReadBmp(bytes, error);
    if (EndsWithTga(fileName)) return BitmapReaders::ReadTga(bytes, error);
    error = "not an image of a known format";
    return nullptr;
}

std::unique_ptr<Bitmap> Bitmap::Clone() const {
    return std::unique_ptr<Bitmap>(new Bitmap(*this));
}

bool Bitmap::Scale(uint32_t width, uint32_t height) {
    if (format_ == kFormatRaw || !ValidSide(width) || !ValidSide(height)) return false;
    std::vector<uint8_t> scaled(size_t{width} * height * 4);
    const auto pixelAt = [this](uint32_t x, uint32_t y) { return PixelAt(x, y); };
    for (uint32_t y = 0; y < height; ++y) {
        const auto rows = Footprint(y, height, height_);
        for (uint32_t x = 0; x < width; ++x)
            BoxMean(pixelAt, 0, 0, Footprint(x, width, width_), rows, &scaled[(size_t{y} * width + x) * 4]);
    }
    width_ = width;
    height_ = height;
    pixels_ = std::move(scaled);
    return true;
}

}  // namespace Kiv
