// Kiv::RenderKernel: the engine's renderer. This port has no display, so every renderer is
// the null one (Kiv::Display) that draws nothing. The kernel owns that display and the
// managers of textures, materials and rendering caches, and a scene graph of its own when
// none is given. Init only chooses which renderer the options ask for:
// "-NullRender" the null renderer, else the one "-render=<name>" names ("OpenGL" when
// absent, "DirectX9"; names ignore case). An unknown name, or an OS that is missing or not
// initialised, fails Init.
//
// So that the program's fall-back to the null renderer can be tried, the environment
// variable KIV_RENDER_FAIL, read once per process, makes Init fail: "all" for every
// renderer, or a renderer's name ("opengl") for that one alone. SetFailure does the same
// inside one process, for tests.
#pragma once

#include <memory>
#include <string>

#include "engine/display.h"
#include "engine/material_manager.h"
#include "engine/rendering_cache.h"
#include "engine/scene.h"
#include "engine/texture.h"

namespace Kiv {

class OS;

class RenderKernel {
public:
    enum class Renderer { kNone, kNull, kOpenGL, kDirectX9 };

    // sceneGraph null: the kernel makes one of its own. detail is kept as given and not
    // used by the null renderers.
    RenderKernel(SceneGraph* sceneGraph, float detail);
    ~RenderKernel();
    RenderKernel(const RenderKernel&) = delete;
    RenderKernel& operator=(const RenderKernel&) = delete;

    // Chooses the renderer from os's options; false (renderer kNone) when it cannot start.
    // flags are carried for other engines and not read.
    bool Init(OS* os, int flags);
    Renderer GetRenderer() const { return renderer_; }
    SceneGraph* GetSceneGraph() const { return sceneGraph_; }
    float GetDetail() const { return detail_; }
    Display* GetDisplay() { return &display_; }
    TextureManager* GetTextureManager() { return &textures_; }
    MaterialManager* GetMaterialManager() { return &materials_; }
    RenderingCacheManager& GetRenderingCacheManager() { return caches_; }

    // What fails from now on: "" nothing, "all", or a renderer's name. Replaces what
    // KIV_RENDER_FAIL said.
    static void SetFailure(const std::string& failure);
    static std::string GetFailure();

private:
    std::unique_ptr<SceneGraph> ownSceneGraph_;
    SceneGraph* sceneGraph_;
    float detail_;
    Renderer renderer_ = Renderer::kNone;
    Display display_;
    TextureManager textures_{&display_};
    MaterialManager materials_{this, &textures_};
    RenderingCacheManager caches_;
};

}  // namespace Kiv
