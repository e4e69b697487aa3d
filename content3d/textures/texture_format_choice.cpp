// The format choice and the size clamp, each a short sequence of table look-ups.
#include "content3d/textures/texture_format_choice.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "engine/ascii.h"

namespace {

constexpr int32_t kUncompressedAlpha = 1;
constexpr int32_t kUncompressedOpaque = 3;
constexpr int32_t kDXT1 = 10;
constexpr int32_t kDXT3 = 11;
constexpr int32_t kDXT5 = 12;
constexpr uint32_t kSmallSide = 64;

// One "Compression" word: the code it gives and what it does to the alpha flag.
enum class AlphaFlag { kKeep, kClear, kSet };
struct CompressionWord {
    std::string_view word;
    int32_t format;
    AlphaFlag alpha;
};
constexpr CompressionWord kCompressionWords[] = {
    {"dxt1", kDXT1, AlphaFlag::kClear}, {"dxt1a", kDXT1, AlphaFlag::kSet},
    {"dxt3", kDXT3, AlphaFlag::kKeep},  {"dxt5", kDXT5, AlphaFlag::kKeep},
    {"none", kUncompressedAlpha, AlphaFlag::kKeep},
};
constexpr std::array<TextureFormatChoice, 3> kAutoChoices = {
    {{kDXT1, false}, {kDXT1, true}, {kDXT5, true}}};

void ApplyWord(std::string_view word, TextureFormatChoice& entry) {
    for (const CompressionWord& known : kCompressionWords) {
        if (!Kiv::Ascii::EqualsIgnoreCase(word, known.word)) continue;
        entry.format = known.format;
        if (known.alpha != AlphaFlag::kKeep) entry.alpha = known.alpha == AlphaFlag::kSet;
        return;
    }
}

// The entry of an alpha kind: none the first, one-bit the second, full the third.
int EntryOfAlphaKind(int8_t alphaKind) {
    switch (alphaKind) {
        case Kiv::TextureDescription::kAlphaNone: return 0;
        case Kiv::TextureDescription::kAlphaOneBit: return 1;
        case Kiv::TextureDescription::kAlphaFull: return 2;
        default: return -1;
    }
}

// The "Compression" choice for the texture: uncompressed without alpha flag when the
// option is absent.
TextureFormatChoice OptionChoice(const TextureFormatInputs& inputs) {
    if (!inputs.compression) return {kUncompressedAlpha, false};
    int8_t alphaKind = inputs.alphaKind;
    if (inputs.normalMap && alphaKind == Kiv::TextureDescription::kAlphaOneBit)
        alphaKind = Kiv::TextureDescription::kAlphaFull;
    const int entry = EntryOfAlphaKind(alphaKind);
    if (entry < 0) return {kUncompressedAlpha, false};
    return ParseCompressionOption(inputs.compression)[static_cast<size_t>(entry)];
}

// The hint's choice, or the option's for a hint outside 0..3.
TextureFormatChoice HintChoice(int8_t hint, int8_t alphaKind, TextureFormatChoice option) {
    const bool opaque = alphaKind == Kiv::TextureDescription::kAlphaNone;
    switch (hint) {
        case 0: return opaque ? TextureFormatChoice{kUncompressedOpaque, false}
                              : TextureFormatChoice{kUncompressedAlpha, true};
        case 1: return {kDXT1, !opaque};
        case 2: return {kDXT3, true};
        case 3: return {kDXT5, true};
        default: return option;
    }
}

// One side of "MaxTextureSize"; no limit unless it reads whole as a number of at least 1.
uint32_t ParseSide(std::string_view text) {
    const std::string side(text);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(side.c_str(), &end, 10);
    const bool whole = !side.empty() && errno == 0 && end == side.c_str() + side.size();
    if (!whole || value < 1 || value >= TextureSizeLimit::kNone) return TextureSizeLimit::kNone;
    return static_cast<uint32_t>(value);
}

uint32_t ScaledSide(uint32_t side, uint32_t over, uint32_t limit) {
    const float scaled = static_cast<float>(side) / static_cast<float>(over) * static_cast<float>(limit);
    return std::max<uint32_t>(1, static_cast<uint32_t>(scaled));
}

}  // namespace

std::array<TextureFormatChoice, 3> ParseCompressionOption(std::string_view text) {
    std::array<TextureFormatChoice, 3> entries{};
    for (size_t index = 0; index < entries.size(); ++index) {
        const size_t comma = text.find(',');
        const std::string_view word = text.substr(0, comma);
        if (index == 0 && Kiv::Ascii::EqualsIgnoreCase(word, "auto")) return kAutoChoices;
        ApplyWord(word, entries[index]);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return entries;
}

TextureFormatChoice ChooseTextureFormat(const TextureFormatInputs& inputs) {
    if (!inputs.hasOptions || inputs.alphaKind == Kiv::TextureDescription::kAlphaUndetermined)
        return {kUncompressedAlpha, true};
    const TextureFormatChoice option = OptionChoice(inputs);
    const bool small = std::max(inputs.size.width, inputs.size.height) <= kSmallSide;
    TextureFormatChoice choice = HintChoice(small ? 0 : inputs.hint, inputs.alphaKind, option);
    if (inputs.forceOptions) choice = option;
    if (inputs.size.width % 4 != 0 || inputs.size.height % 4 != 0)
        choice.format = choice.alpha ? kUncompressedAlpha : kUncompressedOpaque;
    return choice;
}

TextureSizeLimit ParseMaxTextureSize(const char* text) {
    TextureSizeLimit limit;
    if (!text) return limit;
    const std::string_view value(text);
    const size_t comma = value.find(',');
    limit.width = ParseSide(value.substr(0, comma));
    if (comma != std::string_view::npos) limit.height = ParseSide(value.substr(comma + 1));
    return limit;
}

Kiv::TextureSize ClampTextureSize(Kiv::TextureSize size, const TextureSizeLimit& limit) {
    if (size.width > limit.width) {
        size.height = ScaledSide(size.height, size.width, limit.width);
        size.width = limit.width;
    }
    if (size.height > limit.height) {
        size.width = ScaledSide(size.width, size.height, limit.height);
        size.height = limit.height;
    }
    return size;
}
