// The plug-ins of the bump family ("tbumptex", "tbumpgloss", "tbumpenv"). They need
// display capabilities 21 and 17 and otherwise name a replacement type. They share the
// kernel's alpha-blend, alpha-mask and material-chunk caches (found or added in that
// order) and make their programs once: on each try they register the built-in texts, then
// request the vertex and pixel programs; a failed request releases every program, so the
// next material tries again. The bump-gloss plug-in also makes the four rust programs.
#pragma once

#include "content3d/materials/bump_materials.h"
#include "engine/material_plugin.h"

namespace Kiv {

// The names of a pass pair's programs.
struct BumpProgramNames {
    const char* parallelVertex;
    const char* spotVertex;
    const char* parallelPixel;
    const char* spotPixel;
};

class KodrinBumpFamilyPlugin : public MaterialPlugin {
public:
    static constexpr int kVertexProgramPriority = 99;

    bool IsSupported(Display* display, PString& replacement) override;
    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override;

    RenderingCache* GetBlendCache() const { return blendCache_; }
    RenderingCache* GetMaskCache() const { return maskCache_; }
    RenderingCache* GetChunkCache() const { return chunkCache_; }
    const BumpPrograms& GetPrograms() const { return programs_; }
    const BumpPrograms& GetRustPrograms() const { return rustPrograms_; }

protected:
    // rust: the rust programs' names, null for a plug-in without them; pixelTexts: the
    // pixel texts it registers, null-terminated.
    KodrinBumpFamilyPlugin(const char* name, const UId& typeUId, const char* replacement,
                           const BumpProgramNames& names, const BumpProgramNames* rust,
                           const char* const* pixelTexts);
    ~KodrinBumpFamilyPlugin() override;

    virtual Material* MakeMaterial(MaterialManager* manager) = 0;

private:
    bool CreatePrograms(RenderKernel* kernel);
    bool RequestPrograms(Display& display, const BumpProgramNames& names, BumpPrograms& out);
    void ReleaseAllPrograms();

    const char* replacement_;
    BumpProgramNames names_;
    const BumpProgramNames* rustNames_;
    const char* const* pixelTexts_;
    RenderingCache* blendCache_ = nullptr;
    RenderingCache* maskCache_ = nullptr;
    RenderingCache* chunkCache_ = nullptr;
    BumpPrograms programs_;
    BumpPrograms rustPrograms_;
};

class KodrinBumpMaterialPlugin final : public KodrinBumpFamilyPlugin {
public:
    static constexpr const char* kName = "tbumptex";
    static constexpr UId kTypeUId = *UId::Parse("E34011F3-C721-48ba-B3C0-19621E408CBD");
    KodrinBumpMaterialPlugin();

private:
    Material* MakeMaterial(MaterialManager* manager) override;
};

class KodrinBumpGlossMaterialPlugin final : public KodrinBumpFamilyPlugin {
public:
    static constexpr const char* kName = "tbumpgloss";
    static constexpr UId kTypeUId = *UId::Parse("F7478888-C721-48AB-B3C0-19621E66554E");
    KodrinBumpGlossMaterialPlugin();

private:
    Material* MakeMaterial(MaterialManager* manager) override;
};

class KodrinBumpEnvMaterialPlugin final : public KodrinBumpFamilyPlugin {
public:
    static constexpr const char* kName = "tbumpenv";
    static constexpr UId kTypeUId = *UId::Parse("0ECEE41C-76E7-47fd-ADBB-0E938E809C03");
    KodrinBumpEnvMaterialPlugin();

private:
    Material* MakeMaterial(MaterialManager* manager) override;
};

}  // namespace Kiv
