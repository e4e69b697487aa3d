// TextureCompress: one image of a texture compressed by NVIDIA Texture Tools (nvtt 2.0.8),
// kept as its list of mip levels (level 0 first), each a raw engine bitmap holding the
// level's bytes as nvtt wrote them. Compress drives nvtt in a fixed order of calls; CUDA is
// asked for only when the settings allow it (the nvtt we build with has none, so it then
// compresses on the processor as always). When nvtt fails, the text of its error stays with this object (GetError),
// so concurrent conversions never see one another's errors.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/bitmap.h"

class TextureCompress {
public:
    // 32-bit pixels in BGRA order (width * height * 4 bytes) of an engine bitmap format.
    struct Image {
        std::span<uint8_t> pixels;
        uint32_t width = 0;
        uint32_t height = 0;
        Kiv::Bitmap::Format format = Kiv::Bitmap::kFormatBGRA;
    };
    struct Settings {
        int32_t format = 0;       // the output format code (1, 3, 10, 11 or 12)
        bool alpha = false;       // DXT1 with one-bit alpha
        bool repeat = false;      // the texture repeats (else its edges clamp)
        bool normalMap = false;
        bool mipMaps = false;     // the whole mip chain, else level 0 alone
        bool cuda = false;        // nvtt may use CUDA (our nvtt has none: it then runs without)
    };

    static Image ImageOf(Kiv::Bitmap& bitmap);

    // Compresses image (whose alpha may be made opaque first: see the .cpp) into this
    // object's levels. False for an unsupported format or bitmap format, a pixel count
    // that does not match the size, or a failure of nvtt (GetError then holds its text).
    bool Compress(const Image& image, const Settings& settings);

    void AddLevel(std::unique_ptr<Kiv::Bitmap> level);
    size_t GetLevelCount() const { return levels_.size(); }
    // A new bitmap of one level: for the uncompressed formats a 32-bit bitmap (format 2
    // for code 1, 3 for code 3), else the raw bytes. Null when the level does not exist.
    std::unique_ptr<Kiv::Bitmap> GetLevel(size_t level) const;
    const std::string& GetError() const { return error_; }

private:
    std::vector<std::unique_ptr<Kiv::Bitmap>> levels_;
    int32_t format_ = 0;
    std::string error_;
};
