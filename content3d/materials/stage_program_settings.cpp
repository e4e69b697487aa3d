// The ten texture-stage settings.
#include "content3d/materials/stage_program_settings.h"

#include <array>

#include "engine/display.h"

namespace Kiv {

namespace {

// S1..S10: (value, count, mode, function; four TexArgs {flag, first, second}).
const std::array<TextureArgs, 10>& Settings() {
    static const std::array<TextureArgs, 10> settings = {
        TextureArgs(0, 2, 0, 1, {{{0, 0, 0}, {0, 0, 2}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(0, 1, 1, 0, {{{0, 1, 0}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(1, 1, 0, 7, {{{0, 0, 2}, {0, 0, 0}, {0, 0, 3}, {0, 3, 3}}}),
        TextureArgs(1, 1, 1, 0, {{{0, 1, 1}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(0, 1, 1, 1, {{{1, 1, 2}, {0, 1, 3}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(1, 1, 0, 7, {{{0, 0, 3}, {0, 0, 0}, {0, 1, 0}, {0, 3, 3}}}),
        TextureArgs(0, 2, 0, 1, {{{0, 0, 2}, {0, 0, 0}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(0, 1, 1, 1, {{{0, 1, 2}, {0, 1, 0}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(1, 1, 0, 0, {{{0, 0, 0}, {0, 3, 3}, {0, 3, 3}, {0, 3, 3}}}),
        TextureArgs(1, 1, 1, 1, {{{0, 1, 0}, {0, 1, 2}, {0, 3, 3}, {0, 3, 3}}}),
    };
    return settings;
}

}  // namespace

const TextureArgs& StageSetting(int n) {
    return Settings().at(static_cast<size_t>(n - 1));
}

TextureStageProgram* MakeStageProgram(Display& display, const StageProgramRecipe& recipe) {
    return display.CreateTextureStageProgram(recipe.stage, StageSetting(recipe.color),
                                             StageSetting(recipe.alpha));
}

}  // namespace Kiv
