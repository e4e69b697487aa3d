// Light choice and pass constants of the bump materials.
#include "content3d/materials/bump_lighting.h"

#include <algorithm>
#include <cmath>

#include "engine/display.h"
#include "engine/material.h"
#include "engine/texture_combiner.h"
#include "engine/vertex_program.h"

namespace Kiv {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kSpecularAlpha = 0.75f;
constexpr Color kNoLightColor{0, 0, 0, 1};

float DiffuseSum(const DisplayLight& light) {
    return light.diffuse.r + light.diffuse.g + light.diffuse.b;
}

// The brightest light of a type, the first on a tie.
const DisplayLight* Brightest(const LightList& lights, int type) {
    const DisplayLight* best = nullptr;
    for (const DisplayLight* light : lights) {
        if (!light || light->type != type) continue;
        if (!best || DiffuseSum(*light) > DiffuseSum(*best)) best = light;
    }
    return best;
}

Matrix4 ObjectSpace(const Viewport& viewport, const Matrix4& model) {
    const Matrix4 view = viewport.GetCamera() ? viewport.GetCamera()->GetViewTransform() : Matrix4();
    return view * model.Inverse();
}

Vector3 CameraPosition(const Viewport& viewport) {
    return viewport.GetCamera() ? viewport.GetCamera()->GetPosition() : Vector3{};
}

Vector4 Direction(const Vector3& v) {
    return {v.x, v.y, v.z, 0};
}

Vector4 Point(const Vector3& v) {
    return {v.x, v.y, v.z, 1};
}

Color LightDiff(const DisplayLight& light, const Material& material) {
    return {light.diffuse.r * material.diffuse.r, light.diffuse.g * material.diffuse.g,
            light.diffuse.b * material.diffuse.b, material.diffuse.a};
}

Color SpecularProduct(const DisplayLight& light, const Material& material) {
    return {light.specular.r * material.specular.r, light.specular.g * material.specular.g,
            light.specular.b * material.specular.b, kSpecularAlpha};
}

float Saturate(float value) {
    return std::clamp(value, 0.0f, 1.0f);
}

Color LightAmb(const Material& material, const Color& sum) {
    return {Saturate(material.ambient.r * sum.r + material.emissive.r),
            Saturate(material.ambient.g * sum.g + material.emissive.g),
            Saturate(material.ambient.b * sum.b + material.emissive.b), 1};
}

void SetVertex(Display& display, const BumpPass& pass, int index, const Vector4& value) {
    if (pass.vertexProgram) pass.vertexProgram->SetLocalConstant(display, index, value);
}

void SetPixel(Display& display, const BumpPass& pass, int index, const Color& value) {
    if (pass.combiner) pass.combiner->SetConstant(display, index, value);
}

}  // namespace

ChosenLights ChooseLights(const Display& display, const LightList* lights) {
    ChosenLights chosen;
    chosen.ambientSum = display.GetSceneAmbient();
    if (!lights) return chosen;
    for (const DisplayLight* light : *lights) {
        if (!light || (light->type != kLightParallel && light->type != kLightAmbient)) continue;
        chosen.ambientSum.r += light->ambient.r;
        chosen.ambientSum.g += light->ambient.g;
        chosen.ambientSum.b += light->ambient.b;
        chosen.ambientSum.a += light->ambient.a;
    }
    chosen.parallel = Brightest(*lights, kLightParallel);
    chosen.spot = Brightest(*lights, kLightSpot);
    return chosen;
}

void SetParallelPassConstants(Display& display, const Viewport& viewport,
                              const Material& material, const ChosenLights& lights,
                              const Matrix4& model, const BumpPass& pass, bool zeroSpecular) {
    display.SetModelMatrix(model);
    if (const DisplayLight* light = lights.parallel) {
        const Matrix4 m = ObjectSpace(viewport, model);
        SetVertex(display, pass, kLightDirConstant, Direction(m.TransformDirection(light->GetDirection())));
        SetPixel(display, pass, kLightDiffRegister, LightDiff(*light, material));
        SetVertex(display, pass, kViewPosConstant, Point(m.TransformPoint(CameraPosition(viewport))));
        SetPixel(display, pass, pass.specularRegister, SpecularProduct(*light, material));
    } else {
        SetVertex(display, pass, kLightDirConstant, {});
        SetPixel(display, pass, kLightDiffRegister, kNoLightColor);
        SetVertex(display, pass, kViewPosConstant, {});
        if (zeroSpecular) SetPixel(display, pass, pass.specularRegister, kNoLightColor);
    }
    SetPixel(display, pass, kLightAmbRegister, LightAmb(material, lights.ambientSum));
}

void SetSpotPassConstants(Display& display, const Viewport& viewport, const Material& material,
                          const ChosenLights& lights, const Matrix4& model, const BumpPass& pass) {
    const DisplayLight& light = *lights.spot;
    const Matrix4 m = ObjectSpace(viewport, model);
    display.SetModelMatrix(model);
    SetVertex(display, pass, kLightDirConstant, Direction(m.TransformDirection(light.GetDirection())));
    SetVertex(display, pass, kViewPosConstant, Point(m.TransformPoint(CameraPosition(viewport))));
    SetVertex(display, pass, kLightPosConstant, Point(m.TransformPoint(light.GetLightPosition())));
    const float inverseRange = light.range > 0 ? 1.0f / light.range : 0.0f;
    SetVertex(display, pass, kInvLightRadiusConstant,
              {std::cos(light.spotAngle * kPi / 180.0f), inverseRange, 0, 0});
    SetPixel(display, pass, kLightDiffRegister, LightDiff(light, material));
    SetPixel(display, pass, kLightAmbRegister, kNoLightColor);
    SetPixel(display, pass, pass.specularRegister, SpecularProduct(light, material));
}

AdditivePassStates::AdditivePassStates(Display& display, int source, int destination)
    : display_(display), blend_(display.GetAlphaBlendEnable()), fog_(display.GetFogMode()) {
    display.GetBlendFactors(source_, destination_);
    display.SetAlphaBlendEnable(true);
    display.SetBlendFactors(source, destination);
    display.SetFogMode(0);
}

AdditivePassStates::~AdditivePassStates() {
    display_.SetAlphaBlendEnable(blend_);
    display_.SetBlendFactors(source_, destination_);
    display_.SetFogMode(fog_);
}

}  // namespace Kiv
