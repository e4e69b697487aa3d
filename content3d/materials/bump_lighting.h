// The per-pixel lighting of the bump materials: which lights of a chunk's list light it,
// and the constants of the parallel-light and spot-light passes. Directions and points go
// into the chunk's object space through M = view transform x inverse(model matrix).
// Vertex constants: 5 lightPos, 6 invLightRadius, 7 lightDir, 13 viewPos. Pixel registers:
// 0 LightDiff, 1 LightAmb, and Specular at the register the program declares it.
#pragma once

#include "engine/matrix4.h"
#include "engine/scene.h"

namespace Kiv {

class Display;
class Material;
class TextureCombiner;
class VertexProgram;

struct ChosenLights {
    Color ambientSum;                       // the scene's ambient plus types 0 and 3
    const DisplayLight* parallel = nullptr; // type 3 with the largest diffuse sum, first on a tie
    const DisplayLight* spot = nullptr;     // type 2 likewise; looked for only with a list
};

ChosenLights ChooseLights(const Display& display, const LightList* lights);

struct BumpPass {
    VertexProgram* vertexProgram = nullptr;
    TextureCombiner* combiner = nullptr;
    int specularRegister = 2;
};

enum BumpVertexConstant : int {
    kLightPosConstant = 5,
    kInvLightRadiusConstant = 6,
    kLightDirConstant = 7,
    kViewPosConstant = 13,
};
// Specular is register 2, or 3 in the gloss programs, where Lerp takes register 2.
enum BumpPixelRegister : int {
    kLightDiffRegister = 0,
    kLightAmbRegister = 1,
    kSpecularRegister = 2,
    kLerpRegister = 2,
    kGlossSpecularRegister = 3,
};

// The parallel pass's constants, model matrix first. Without a parallel light the
// direction, LightDiff and viewPos are zeroed, and Specular too when zeroSpecular is set.
void SetParallelPassConstants(Display& display, const Viewport& viewport,
                              const Material& material, const ChosenLights& lights,
                              const Matrix4& model, const BumpPass& pass, bool zeroSpecular);
// The spot pass's constants for lights.spot (which must be set).
void SetSpotPassConstants(Display& display, const Viewport& viewport, const Material& material,
                          const ChosenLights& lights, const Matrix4& model, const BumpPass& pass);

// Saves the blend enable, blend factors and fog mode; sets blending on with the given
// factors and fog off; puts everything back when it goes.
class AdditivePassStates {
public:
    AdditivePassStates(Display& display, int source, int destination);
    ~AdditivePassStates();
    AdditivePassStates(const AdditivePassStates&) = delete;
    AdditivePassStates& operator=(const AdditivePassStates&) = delete;

private:
    Display& display_;
    bool blend_;
    int source_ = 0;
    int destination_ = 0;
    int fog_;
};

}  // namespace Kiv
