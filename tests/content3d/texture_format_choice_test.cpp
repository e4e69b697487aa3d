// The output format of a converted texture and its size limit: one table of the choice's
// cases (the "Compression" words per alpha kind, the hint overriding them unless
// forceOptions is given, the 64-pixel and multiple-of-4 rules, normal maps with one-bit
// alpha, no options or an undetermined alpha kind), and the clamp of "MaxTextureSize".
#include "content3d/textures/texture_format_choice.h"

#include <gtest/gtest.h>

namespace {

constexpr int8_t kNone = Kiv::TextureDescription::kAlphaNone;
constexpr int8_t kFull = Kiv::TextureDescription::kAlphaFull;
constexpr int8_t kOneBit = Kiv::TextureDescription::kAlphaOneBit;
constexpr int8_t kUndetermined = Kiv::TextureDescription::kAlphaUndetermined;

struct ChoiceCase {
    const char* what;
    TextureFormatInputs inputs;
    TextureFormatChoice expected;
};

TextureFormatInputs Inputs(const char* compression, int8_t alphaKind, int8_t hint,
                           uint32_t width = 256, uint32_t height = 256) {
    TextureFormatInputs inputs;
    inputs.compression = compression;
    inputs.alphaKind = alphaKind;
    inputs.hint = hint;
    inputs.size = {width, height};
    return inputs;
}

TextureFormatInputs Forced(TextureFormatInputs inputs) {
    inputs.forceOptions = true;
    return inputs;
}

TextureFormatInputs NormalMap(TextureFormatInputs inputs) {
    inputs.normalMap = true;
    return inputs;
}

TextureFormatInputs WithoutOptions(TextureFormatInputs inputs) {
    inputs.hasOptions = false;
    return inputs;
}

TEST(TextureFormatChoice, FollowsTheCompressionWordsTheHintAndTheSizeRules) {
    const ChoiceCase cases[] = {
        // "auto" and a hint outside 0..3: DXT1, DXT1a, DXT5 by alpha kind.
        {"auto, no alpha", Inputs("auto", kNone, -1), {10, false}},
        {"auto, one-bit alpha", Inputs("auto", kOneBit, -1), {10, true}},
        {"auto, full alpha", Inputs("AUTO", kFull, 7), {12, true}},
        {"auto, normal map with one-bit alpha", NormalMap(Inputs("auto", kOneBit, -1)), {12, true}},
        {"auto later than first is ignored", Inputs("dxt5,auto,auto", kOneBit, -1), {1, true}},
        // Entries for alpha kinds 0, 2, 1 in this order.
        {"entry of no alpha", Inputs("dxt1,dxt3,dxt5", kNone, -1), {10, false}},
        {"entry of one-bit alpha", Inputs("dxt1,dxt3,dxt5", kOneBit, -1), {11, true}},
        {"entry of full alpha", Inputs("dxt1,dxt3,dxt5", kFull, -1), {12, true}},
        {"dxt1a sets the alpha flag", Inputs("dxt1a", kNone, -1), {10, true}},
        {"none is uncompressed with alpha", Inputs("none,none,none", kFull, -1), {1, true}},
        {"an unknown word leaves the entry", Inputs("dxt9,dxt1", kNone, -1), {1, true}},
        {"a missing entry stays uncompressed", Inputs("dxt1", kFull, -1), {1, true}},
        {"no Compression option", Inputs(nullptr, kFull, -1), {1, false}},
        // The hint overrides the option.
        {"hint 0, no alpha", Inputs("auto", kNone, 0), {3, false}},
        {"hint 0, alpha", Inputs("auto", kOneBit, 0), {1, true}},
        {"hint 1, no alpha", Inputs("dxt5", kNone, 1), {10, false}},
        {"hint 1, full alpha", Inputs("dxt5,dxt5,dxt5", kFull, 1), {10, true}},
        {"hint 2", Inputs("auto", kNone, 2), {11, true}},
        {"hint 3", Inputs(nullptr, kNone, 3), {12, true}},
        // forceOptions: the option wins over the hint.
        {"forced over hint 3", Forced(Inputs("dxt1", kNone, 3)), {10, false}},
        {"forced without Compression", Forced(Inputs(nullptr, kFull, 3)), {1, false}},
        // 64 pixels or less: hint 0 whatever was given, unless forced.
        {"64 x 64, hint 3", Inputs("auto", kNone, 3, 64, 64), {3, false}},
        {"64 x 64 with alpha", Inputs("auto", kFull, -1, 64, 32), {1, true}},
        {"64 x 64 forced", Forced(Inputs("auto", kNone, 3, 64, 64)), {10, false}},
        {"68 x 64 is not small", Inputs("auto", kNone, 3, 68, 64), {12, true}},
        // Not a multiple of 4: uncompressed, by the alpha flag.
        {"102 x 102, no alpha", Inputs("auto", kNone, -1, 102, 102), {3, false}},
        {"102 x 100, no alpha", Inputs("auto", kNone, -1, 102, 100), {3, false}},
        {"100 x 98, one-bit alpha", Inputs("auto", kOneBit, -1, 100, 98), {1, true}},
        {"100 x 100 is a multiple of 4", Inputs("auto", kNone, -1, 100, 100), {10, false}},
        {"256 x 102 forced", Forced(Inputs("dxt5,dxt5,dxt5", kFull, -1, 256, 102)), {1, true}},
        // No options at all, or an alpha kind not yet known.
        {"no options", WithoutOptions(Inputs("dxt1", kNone, 1)), {1, true}},
        {"undetermined alpha", Inputs("auto", kUndetermined, 1), {1, true}},
    };
    for (const ChoiceCase& c : cases) {
        const TextureFormatChoice choice = ChooseTextureFormat(c.inputs);
        EXPECT_EQ(choice.format, c.expected.format) << c.what;
        EXPECT_EQ(choice.alpha, c.expected.alpha) << c.what;
    }
}

TEST(TextureSizeLimit, KeepsTheAspectAndNeverGoesBelowOne) {
    const struct {
        const char* limit;
        Kiv::TextureSize size;
        Kiv::TextureSize expected;
    } cases[] = {
        {"256", {1024, 512}, {256, 128}},
        {"256", {512, 1024}, {256, 512}},     // one value limits the width only
        {"256,256", {512, 1024}, {128, 256}},
        {"512,128", {1024, 512}, {256, 128}}, // narrowed, then lowered
        {"2", {4096, 1}, {2, 1}},             // never below 1
        {"16,1", {16, 4096}, {1, 1}},
        {"0", {1024, 512}, {1024, 512}},      // below 1: no limit
        {"-5,abc", {1024, 512}, {1024, 512}},
        {"", {1024, 512}, {1024, 512}},
        {"256x", {1024, 512}, {1024, 512}},
        {nullptr, {1024, 512}, {1024, 512}},
    };
    for (const auto& c : cases) {
        const Kiv::TextureSize clamped = ClampTextureSize(c.size, ParseMaxTextureSize(c.limit));
        EXPECT_EQ(clamped, c.expected) << (c.limit ? c.limit : "(none)") << " on " << c.size.width
                                       << "x" << c.size.height;
    }
}

}  // namespace
