// The BMP reader: the 14-byte file header, an information header of at least 40 bytes,
// an optional palette, and rows padded to four bytes.
#include <cstring>

#include "engine/bitmap_readers.h"
#include "engine/byte_reader.h"

namespace Kiv::BitmapReaders {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitFields = 3;

struct BmpInfo {
    uint32_t dataOffset = 0;
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint16_t planes = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

BmpInfo ReadInfo(ByteReader& in) {
    BmpInfo info;
    in.Skip(2 + 4 + 4);  // "BM", file size, reserved
    info.dataOffset = in.U32();
    info.headerSize = in.U32();
    info.width = in.I32();
    info.height = in.I32();
    info.planes = in.U16();
    info.bits = in.U16();
    info.compression = in.U32();
    in.Skip(4 + 4 + 4);  // image size, resolution
    info.colorsUsed = in.U32();
    return info;
}

// The standard 32-bit masks (red, green, blue in bytes 2, 1, 0) after the 40-byte header.
bool StandardMasks(std::span<const uint8_t> bytes) {
    ByteReader in(bytes);
    in.Seek(kFileHeaderSize + 40);
    const uint32_t red = in.U32(), green = in.U32(), blue = in.U32();
    return !in.Failed() && red == 0x00FF0000u && green == 0x0000FF00u && blue == 0x000000FFu;
}

bool AnyAlpha(std::span<const uint8_t> rows, size_t stride, uint32_t width, uint32_t height) {
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            if (rows[stride * y + size_t{x} * 4 + 3] != 0) return true;
        }
    }
    return false;
}

const char* CheckInfo(const BmpInfo& info, std::span<const uint8_t> bytes) {
    if (info.headerSize < 40) return "BMP information header is not supported";
    if (info.planes != 1) return "BMP plane count is not 1";
    if (info.bits != 8 && info.bits != 24 && info.bits != 32) return "BMP pixel depth is not supported";
    const bool fields = info.compression == kBiBitFields && info.bits == 32 && StandardMasks(bytes);
    if (info.compression != kBiRgb && !fields) return "BMP compression is not supported";
    const int64_t height = info.height < 0 ? -info.height : info.height;
    if (info.width < 1 || info.width > Bitmap::kMaxSide || height < 1 || height > Bitmap::kMaxSide)
        return "BMP size out of range";
    if (info.bits == 8 && info.colorsUsed > 256) return "BMP palette too large";
    return nullptr;
}

}  // namespace

std::unique_ptr<Bitmap> ReadBmp(std::span<const uint8_t> bytes, std::string& error) {
    ByteReader in(bytes);
    const BmpInfo info = ReadInfo(in);
    if (in.Failed()) {
        error = "BMP header truncated";
        return nullptr;
    }
    if (const char* problem = CheckInfo(info, bytes)) {
        error = problem;
        return nullptr;
    }
    const auto width = static_cast<uint32_t>(info.width);
    const auto height = static_cast<uint32_t>(info.height < 0 ? -info.height : info.height);
    const uint32_t paletteSize = info.bits == 8 ? (info.colorsUsed ? info.colorsUsed : 256u) : 0u;
    ByteReader paletteIn(bytes);
    paletteIn.Seek(kFileHeaderSize + size_t{info.headerSize});
    std::span<const uint8_t> palette = paletteIn.Bytes(size_t{paletteSize} * 4);
    const size_t stride = (size_t{width} * info.bits + 31) / 32 * 4;
    ByteReader data(bytes);
    data.Seek(info.dataOffset);
    std::span<const uint8_t> rows = data.Bytes(stride * height);
    if (paletteIn.Failed() || data.Failed()) {
        error = "BMP palette or pixel data truncated";
        return nullptr;
    }
    const bool hasAlpha = info.bits == 32 && AnyAlpha(rows, stride, width, height);
    auto bitmap = Bitmap::Create(width, height, hasAlpha ? Bitmap::kFormatBGRA : Bitmap::kFormatBGRX);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t row = info.height < 0 ? y : height - 1u - y;
        const uint8_t* source = rows.data() + stride * y;
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* out = bitmap->PixelAt(x, row);
            if (info.bits == 8) {
                if (source[x] >= paletteSize) {
                    error = "BMP palette index out of range";
                    return nullptr;
                }
                std::memcpy(out, &palette[size_t{source[x]} * 4], 3);
                out[3] = 0xFF;
                continue;
            }
            const uint8_t* pixel = source + size_t{x} * (info.bits / 8u);
            std::memcpy(out, pixel, 3);
            out[3] = hasAlpha ? pixel[3] : 0xFF;
        }
    }
    return bitmap;
}

}  // namespace Kiv::BitmapReaders
