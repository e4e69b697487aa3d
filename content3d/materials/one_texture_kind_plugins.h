// The plug-ins of the program's one-texture kinds, on the engine's one-texture plug-in
// (whose caches and stage program they share): "tglossrust" (needs capability 1, else
// the plain one-texture type; makes its four stage programs once, all or none),
// "tonetexnoalpha" (its own stage-0 program, made once) and "nofogtex" (the base's stage
// program).
#pragma once

#include "engine/material_plugin.h"

namespace Kiv {

class KodrinGlossRustMaterialPlugin final : public OneTextureMaterialPlugin {
public:
    static constexpr const char* kName = "tglossrust";
    static constexpr UId kTypeUId = *UId::Parse("AFCA4E1B-811A-56EE-89E4-CAB13F9B6712");
    static constexpr int kPrograms = 4;

    KodrinGlossRustMaterialPlugin() : OneTextureMaterialPlugin(PString(kName), kTypeUId) {}

    bool IsSupported(Display* display, PString& replacement) override;
    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override;
    // The base's resources, then the four programs unless made; false without a kernel or
    // display, or when a program fails (those made are destroyed).
    bool CreateStagePrograms(RenderKernel* kernel);
    int GetStageProgramCount() const { return stageProgramCount_; }

private:
    ~KodrinGlossRustMaterialPlugin() override;
    void DestroyStagePrograms();

    int stageProgramCount_ = 0;
    TextureStageProgram* stagePrograms_[kPrograms] = {};
};

class KodrinOneTexNoAlphaMaterialPlugin final : public OneTextureMaterialPlugin {
public:
    static constexpr const char* kName = "tonetexnoalpha";
    static constexpr UId kTypeUId = *UId::Parse("4BB6C98F-6FDF-4cb9-9CE2-7E40B2A78626");

    KodrinOneTexNoAlphaMaterialPlugin() : OneTextureMaterialPlugin(PString(kName), kTypeUId) {}

    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override;
    // The base's resources, then, with a kernel, the stage program unless made.
    void CreateStagePrograms(RenderKernel* kernel);
    TextureStageProgram* GetStageProgram() const { return stageProgram_; }

private:
    ~KodrinOneTexNoAlphaMaterialPlugin() override;

    TextureStageProgram* stageProgram_ = nullptr;
};

class KodrinNoFogMaterialPlugin final : public OneTextureMaterialPlugin {
public:
    static constexpr const char* kName = "nofogtex";
    static constexpr UId kTypeUId = *UId::Parse("AB84944B-00A6-4a18-8BAF-4664E98075AA");

    KodrinNoFogMaterialPlugin() : OneTextureMaterialPlugin(PString(kName), kTypeUId) {}

    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override;
};

}  // namespace Kiv
