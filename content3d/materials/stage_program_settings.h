// The texture-stage settings of the program's own materials, as data: each is a
// Kiv::TextureArgs of four scalars and four TexArgs, passed to the display unchanged.
// S1 and S2 make the no-alpha stage; the gloss-rust programs are 0 = (S1, S2) on stage 0,
// 1 = (S3, S4) on stage 1, 2 = (S1, S5) on stage 0, 3 = (S6, S4) on stage 1; the
// multi-PFX pair is (S7, S8) on stage 0 and (S9, S10) on stage 1.
#pragma once

#include "engine/texture_stage_program.h"

namespace Kiv {

// Setting n (1..10); built on first use.
const TextureArgs& StageSetting(int n);

struct StageProgramRecipe {
    int stage;
    int color;  // setting numbers
    int alpha;
};

inline constexpr StageProgramRecipe kNoAlphaStage{0, 1, 2};
inline constexpr StageProgramRecipe kGlossRustStages[4] = {{0, 1, 2}, {1, 3, 4}, {0, 1, 5}, {1, 6, 4}};
inline constexpr StageProgramRecipe kMultiPFXStages[2] = {{0, 7, 8}, {1, 9, 10}};

class Display;
class TextureStageProgram;
// The display's program of a recipe; null when the display refuses it.
TextureStageProgram* MakeStageProgram(Display& display, const StageProgramRecipe& recipe);

}  // namespace Kiv
