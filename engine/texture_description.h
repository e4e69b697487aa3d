// Kiv::TextureDescription: the values of an ASCII texture description (".texture.txt")
// and the parser of its text. The syntax is the engine's own (engine/README.md): one
// "Key=Value" per line, blanks around both ignored, keys without case, blank lines and
// lines starting with ";" or "#" skipped. "Primary=<image>" adds an image of the texture
// and "Alpha=<image>" gives the latest one its alpha; the other keys are the hints, which
// Apply also takes from an option set. An unknown key or a bad value fails the text with a
// reason, so a typing error never passes unnoticed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Kiv {

struct TextureSize {
    uint32_t width = 0;
    uint32_t height = 0;
    bool operator==(const TextureSize&) const = default;
};

struct TextureDescription {
    static constexpr int8_t kAlphaNone = 0;
    static constexpr int8_t kAlphaFull = 1;
    static constexpr int8_t kAlphaOneBit = 2;
    static constexpr int8_t kAlphaUndetermined = -1;
    static constexpr int32_t kWrapClamp = 1;
    static constexpr int32_t kWrapRepeat = 2;
    static constexpr size_t kMaxImages = 64;

    struct Image {
        std::string primary;
        std::string alpha;  // empty: none
    };

    std::vector<Image> images;
    int8_t alphaKind = kAlphaUndetermined;  // undetermined: derived from the images
    int8_t compressionHint = -1;            // -1: no hint
    int32_t anisotropy = 0;
    std::string autoMip;
    std::string magFilter = "linear";
    std::string minFilter = "linear";
    std::string mipFilter = "linear";  // "none": the texture has no mip maps
    int32_t wrapS = kWrapRepeat;
    int32_t wrapT = kWrapRepeat;
    bool normalMap = false;
    int32_t modifyMap = 0;

    bool UsesMipMaps() const;

    // Reads a description text over these values (images are replaced when the text names
    // any). False, with a reason, at the first bad line; the values are then unspecified.
    bool Parse(std::string_view text, std::string& error);
    // One hint key and its value; false, with a reason, for an image key, an unknown key
    // or a bad value.
    bool Apply(std::string_view key, std::string_view value, std::string& error);
};

using TextureOptionList = std::vector<std::pair<std::string, std::string>>;

}  // namespace Kiv
