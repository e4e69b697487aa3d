// Compressing one image through nvtt. The calls are made in one fixed order, so that every
// conversion drives nvtt alike: input options, the compressor, compression options, the
// layout and pixels, the handlers, then process.
#include "content3d/textures/texture_compress.h"

#include <nvtt/nvtt.h>

#include <cstring>

#include "content3d/textures/nvtt_handlers.h"

namespace {

constexpr int32_t kUncompressedAlpha = 1;
constexpr int32_t kUncompressedOpaque = 3;
constexpr int32_t kDXT1 = 10;
constexpr int32_t kDXT3 = 11;
constexpr int32_t kDXT5 = 12;
// The mip filter of everything but normal maps: one past nvtt's named filters, which
// nvtt 2.0.8 treats as its Kaiser filter.
constexpr int kDefaultMipmapFilter = 3;

bool ToNvttFormat(const TextureCompress::Settings& settings, nvtt::Format& out) {
    switch (settings.format) {
        case kUncompressedAlpha:
        case kUncompressedOpaque: out = nvtt::Format_RGBA; return true;
        case kDXT1: out = settings.alpha ? nvtt::Format_DXT1a : nvtt::Format_DXT1; return true;
        case kDXT3: out = nvtt::Format_DXT3; return true;
        case kDXT5: out = nvtt::Format_DXT5; return true;
        default: return false;
    }
}

bool IsSupportedBitmap(Kiv::Bitmap::Format format) {
    return format == Kiv::Bitmap::kFormatBGRA || format == Kiv::Bitmap::kFormatBGRX;
}

// Only pixels that are not wholly 0 are made opaque: the converter's rule for images without
// alpha, which leaves a wholly black, transparent pixel as it is.
void MakeOpaque(std::span<uint8_t> pixels) {
    for (size_t at = 0; at + 4 <= pixels.size(); at += 4) {
        uint8_t* pixel = &pixels[at];
        if (pixel[0] | pixel[1] | pixel[2] | pixel[3]) pixel[3] = 0xFF;
    }
}

}  // namespace

TextureCompress::Image TextureCompress::ImageOf(Kiv::Bitmap& bitmap) {
    return {std::span<uint8_t>(bitmap.GetPixels(), bitmap.GetByteCount()), bitmap.GetWidth(),
            bitmap.GetHeight(), bitmap.GetFormat()};
}

bool TextureCompress::Compress(const Image& image, const Settings& settings) {
    error_.clear();
    nvtt::Format nvttFormat = nvtt::Format_RGBA;
    if (!ToNvttFormat(settings, nvttFormat) || !IsSupportedBitmap(image.format)) return false;
    if (image.pixels.size() != uint64_t{image.width} * image.height * 4) return false;
    format_ = settings.format;
    if (image.format == Kiv::Bitmap::kFormatBGRX || settings.format == kUncompressedOpaque)
        MakeOpaque(image.pixels);

    nvtt::Compressor compressor;
    nvtt::InputOptions input;
    nvtt::OutputOptions output;
    nvtt::CompressionOptions compression;
    OurOutputHandler outputHandler(*this);
    OurErrorHandler errorHandler;

    input.setMipmapGeneration(settings.mipMaps, -1);
    if (settings.normalMap) input.setNormalMap(true);
    input.setWrapMode(settings.repeat ? nvtt::WrapMode_Repeat : nvtt::WrapMode_Clamp);
    compressor.enableCudaAcceleration(settings.cuda);

    compression.setFormat(nvttFormat);
    compression.setQuality(nvtt::Quality_Production);

    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    input.setTextureLayout(nvtt::TextureType_2D, width, height, 1);
    if (!input.setMipmapData(image.pixels.data(), width, height, 1, 0, 0)) {
        // nvtt refuses pixels that do not fit the layout (an empty image above all) and
        // would otherwise compress a level it never received.
        error_ = nvtt::errorString(nvtt::Error_InvalidInput);
        return false;
    }
    input.setMipmapFilter(settings.normalMap ? nvtt::MipmapFilter_Box
                                             : static_cast<nvtt::MipmapFilter>(kDefaultMipmapFilter));

    output.setOutputHandler(&outputHandler);
    output.setErrorHandler(&errorHandler);
    output.setOutputHeader(false);

    const bool processed = compressor.process(input, compression, output);
    error_ = errorHandler.GetText();
    if (!processed || outputHandler.HasFailed()) return false;
    outputHandler.TakeLast();
    return true;
}

void TextureCompress::AddLevel(std::unique_ptr<Kiv::Bitmap> level) {
    levels_.push_back(std::move(level));
}

std::unique_ptr<Kiv::Bitmap> TextureCompress::GetLevel(size_t level) const {
    if (level >= levels_.size()) return nullptr;
    const Kiv::Bitmap& raw = *levels_[level];
    const bool uncompressed = format_ == kUncompressedAlpha || format_ == kUncompressedOpaque;
    if (!uncompressed || raw.GetByteCount() != uint64_t{raw.GetWidth()} * raw.GetHeight() * 4)
        return raw.Clone();
    const Kiv::Bitmap::Format format =
        format_ == kUncompressedAlpha ? Kiv::Bitmap::kFormatBGRA : Kiv::Bitmap::kFormatBGRX;
    auto bitmap = Kiv::Bitmap::Create(raw.GetWidth(), raw.GetHeight(), format);
    if (bitmap) std::memcpy(bitmap->GetPixels(), raw.GetPixels(), raw.GetByteCount());
    return bitmap;
}
