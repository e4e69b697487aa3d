// The TGA reader: an 18-byte header, an optional identifier, then plain or run-length
// pixels (B, G, R[, A] or one grey byte each).
#include <cstring>

#include "engine/bitmap_readers.h"
#include "engine/byte_reader.h"

namespace Kiv::BitmapReaders {

namespace {

struct TgaHeader {
    uint8_t idLength, colorMapType, imageType;
    uint16_t mapLength;
    uint8_t mapEntryBits;
    uint16_t width, height;
    uint8_t bits, descriptor;
};

TgaHeader ReadHeader(ByteReader& in) {
    TgaHeader h{};
    h.idLength = in.U8();
    h.colorMapType = in.U8();
    h.imageType = in.U8();
    in.U16();  // first map entry
    h.mapLength = in.U16();
    h.mapEntryBits = in.U8();
    in.U16();  // x origin
    in.U16();  // y origin
    h.width = in.U16();
    h.height = in.U16();
    h.bits = in.U8();
    h.descriptor = in.U8();
    return h;
}

// One source pixel (bytesPerPixel 1, 3 or 4) as B, G, R, A.
void Expand(const uint8_t* source, size_t bytesPerPixel, uint8_t* out) {
    if (bytesPerPixel == 1) {
        out[0] = out[1] = out[2] = source[0];
        out[3] = 0xFF;
        return;
    }
    std::memcpy(out, source, 3);
    out[3] = bytesPerPixel == 4 ? source[3] : 0xFF;
}

// The pixels in file order, 4 bytes each; false when the data ends early or a run
// passes the last pixel.
bool ReadPixels(ByteReader& in, bool runLength, size_t bytesPerPixel, size_t count,
                std::vector<uint8_t>& out) {
    out.resize(count * 4);
    size_t done = 0;
    while (done < count) {
        size_t run = 1;
        bool repeat = false;
        if (runLength) {
            const uint8_t packet = in.U8();
            run = (packet & 0x7F) + 1u;
            repeat = (packet & 0x80) != 0;
        }
        if (run > count - done) return false;
        std::span<const uint8_t> data = in.Bytes(repeat ? bytesPerPixel : run * bytesPerPixel);
        if (in.Failed()) return false;
        for (size_t i = 0; i < run; ++i, ++done)
            Expand(data.data() + (repeat ? 0 : i * bytesPerPixel), bytesPerPixel, &out[done * 4]);
    }
    return true;
}

}  // namespace

std::unique_ptr<Bitmap> ReadTga(std::span<const uint8_t> bytes, std::string& error) {
    ByteReader in(bytes);
    const TgaHeader h = ReadHeader(in);
    if (in.Failed()) {
        error = "TGA header truncated";
        return nullptr;
    }
    const bool grey = h.imageType == 3 || h.imageType == 11;
    const bool colour = h.imageType == 2 || h.imageType == 10;
    const bool runLength = h.imageType >= 9;
    if (!grey && !colour) {
        error = "TGA image type " + std::to_string(h.imageType) + " is not supported";
        return nullptr;
    }
    if ((grey && h.bits != 8) || (colour && h.bits != 24 && h.bits != 32) || h.colorMapType > 1) {
        error = "TGA pixel depth or colour map is not supported";
        return nullptr;
    }
    if (h.width == 0 || h.height == 0 || h.width > Bitmap::kMaxSide || h.height > Bitmap::kMaxSide) {
        error = "TGA size out of range";
        return nullptr;
    }
    in.Skip(h.idLength);
    if (h.colorMapType == 1) in.Skip(size_t{h.mapLength} * ((h.mapEntryBits + 7u) / 8u));
    const size_t bytesPerPixel = h.bits / 8u;
    const size_t count = size_t{h.width} * h.height;
    // A run-length packet of at least two bytes encodes at most 128 pixels.
    const size_t most = runLength ? in.Remaining() / 2 * 128 : in.Remaining() / bytesPerPixel;
    if (in.Failed() || count > most) {
        error = "TGA data shorter than its size";
        return nullptr;
    }
    std::vector<uint8_t> pixels;
    if (!ReadPixels(in, runLength, bytesPerPixel, count, pixels)) {
        error = "TGA pixel data truncated or damaged";
        return nullptr;
    }
    const bool hasAlpha = h.bits == 32 && (h.descriptor & 0x0F) != 0;
    auto bitmap = Bitmap::Create(h.width, h.height, hasAlpha ? Bitmap::kFormatBGRA : Bitmap::kFormatBGRX);
    const bool topDown = (h.descriptor & 0x20) != 0;
    const bool rightToLeft = (h.descriptor & 0x10) != 0;
    for (uint32_t y = 0; y < h.height; ++y) {
        const uint32_t row = topDown ? y : h.height - 1u - y;
        for (uint32_t x = 0; x < h.width; ++x) {
            const uint32_t column = rightToLeft ? h.width - 1u - x : x;
            uint8_t* out = bitmap->PixelAt(column, row);
            std::memcpy(out, &pixels[(size_t{y} * h.width + x) * 4], 4);
            if (!hasAlpha) out[3] = 0xFF;
        }
    }
    return bitmap;
}

}  // namespace Kiv::BitmapReaders
