// The "tmpfx" plug-in: supported on displays with at least two texture stages. Each
// material it makes reads the plug-in's pair of stage programs, which every CreateMaterial
// makes anew: the new pair replaces the old one, which is then destroyed; when the new pair
// cannot be made, the old pair stays and no material is made.
#pragma once

#include "engine/material_plugin.h"

namespace Kiv {

class KodrinMultiPFXMaterialPlugin final : public MaterialPlugin {
public:
    static constexpr const char* kName = "tmpfx";
    static constexpr UId kTypeUId = *UId::Parse("643AFE90-426A-46EE-C19F-FFA0A471ABD7");
    static constexpr int kNeededStages = 2;

    KodrinMultiPFXMaterialPlugin() : MaterialPlugin(PString(kName), kTypeUId) {}

    bool IsSupported(Display* display, PString& replacement) override;
    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override;

    TextureStageProgram* const* GetStagePrograms() const { return stagePrograms_; }

private:
    ~KodrinMultiPFXMaterialPlugin() override;
    bool RenewStagePrograms(Display& display);

    RenderingCache* chunkCache_ = nullptr;
    RenderingCache* maskCache_ = nullptr;
    RenderingCache* blendCache_ = nullptr;
    TextureStageProgram* stagePrograms_[2] = {};
};

}  // namespace Kiv
