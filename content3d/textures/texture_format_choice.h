// The rules by which a texture being converted gets its output format and size, as pure
// functions over the texture's values, so the converting resource and its tests read the
// same rules. The format codes are the engine's (Kiv::TextureResource): 1 uncompressed with
// alpha, 3 uncompressed without, 10 DXT1 (DXT1a with the alpha flag), 11 DXT3, 12 DXT5.
// The "Compression" option names one choice per alpha kind (none, one-bit, full, in this
// order); the compression hint then overrides it unless "forceOptions" is given, and small
// or odd-sized textures are stored uncompressed whatever was asked.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "engine/texture_description.h"

struct TextureFormatChoice {
    int32_t format = 1;
    bool alpha = true;  // DXT1 becomes DXT1a; uncompressed keeps its alpha
    bool operator==(const TextureFormatChoice&) const = default;
};

// The choices of a "Compression" value for the alpha kinds none, one-bit and full. Up to
// three comma-separated words, case ignored: "auto" as the first word gives DXT1, DXT1a
// and DXT5 and ends the parse; "dxt1" (alpha flag cleared), "dxt1a" (set), "dxt3", "dxt5",
// "none" (uncompressed). Every entry starts uncompressed with the alpha flag set, and an
// unknown word (or "auto" later on) leaves its entry so.
std::array<TextureFormatChoice, 3> ParseCompressionOption(std::string_view text);

struct TextureFormatInputs {
    bool hasOptions = true;              // the resource has a converting owner's options
    const char* compression = nullptr;   // the "Compression" option; null when absent
    bool forceOptions = false;
    int8_t alphaKind = Kiv::TextureDescription::kAlphaNone;
    bool normalMap = false;
    int8_t hint = -1;                    // the compression hint
    Kiv::TextureSize size;               // already clamped to the size limit
};

TextureFormatChoice ChooseTextureFormat(const TextureFormatInputs& inputs);

// "MaxTextureSize": a width and, after a ",", a height. A side that is missing, unreadable
// or below 1 is not limited (a limit of 0 would make the texture zero-wide).
struct TextureSizeLimit {
    static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    uint32_t width = kNone;
    uint32_t height = kNone;
};

TextureSizeLimit ParseMaxTextureSize(const char* text);

// The size within the limit, keeping the aspect: a too wide texture is narrowed first (its
// height scaled alike), then a too high one lowered; scaled sides are computed in floating
// point, truncated and never below 1.
Kiv::TextureSize ClampTextureSize(Kiv::TextureSize size, const TextureSizeLimit& limit);
