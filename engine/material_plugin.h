// Material plug-ins: the factories of materials, filed by name (the type name without its
// "m." prefix) in the material family. The material manager asks a plug-in whether the
// display supports it (else for the name of a replacement type) and then to create a
// material. OneTextureMaterialPlugin is the engine's plain one-texture plug-in and the base
// of plug-ins that share its resources: the chunk, mask and blend caches (found in the
// render kernel's cache manager or added to it) and one texture-stage program.
#pragma once

#include "engine/plugin_base.h"
#include "engine/pstring.h"
#include "engine/rendering_cache.h"
#include "engine/uid.h"

namespace Kiv {

class Display;
class Material;
class MaterialManager;
class RenderKernel;
class TextureStageProgram;

inline constexpr UId kMaterialFamilyUId = *UId::Parse("6F1C2A94-3B57-4D08-8E21-9A4C7B5D0E36");

class MaterialPlugin : public PluginBase {
public:
    explicit MaterialPlugin(const PString& name, const UId& typeUId = UId())
        : PluginBase(kMaterialFamilyUId, name), typeUId_(typeUId) {}

    const UId& GetTypeUId() const { return typeUId_; }

    // True when the display can draw the plug-in's materials; otherwise replacement names
    // the type to try instead (untouched when the answer is true).
    virtual bool IsSupported(Display*, PString&) { return true; }
    // A new material with one reference, or null.
    virtual Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) = 0;

    // The registered material plug-in of that name with one reference, or null.
    static MaterialPlugin* Find(const PString& name);

private:
    UId typeUId_;
};

// Fills slot, when null, with the kernel's cache of that id (a reference gained) or, when
// the kernel has none, a new C added to it. Nothing without a kernel.
void FindOrAddCache(RenderKernel* kernel, const char* id, RenderingCache* (*make)(),
                    RenderingCache*& slot);

template <typename C>
void FindOrAddCache(RenderKernel* kernel, const char* id, RenderingCache*& slot) {
    FindOrAddCache(kernel, id, [] { return static_cast<RenderingCache*>(new C); }, slot);
}

class OneTextureMaterialPlugin : public MaterialPlugin {
public:
    explicit OneTextureMaterialPlugin(const PString& name, const UId& typeUId = UId())
        : MaterialPlugin(name, typeUId) {}

    Material* CreateMaterial(MaterialManager* manager, RenderKernel* kernel) override;
    // The caches (chunk, mask, blend) and, with a display, the stage program; what exists
    // is kept.
    void CreatePluginResources(RenderKernel* kernel);

    RenderingCache* GetChunkCache() const { return chunkCache_; }
    RenderingCache* GetMaskCache() const { return maskCache_; }
    RenderingCache* GetBlendCache() const { return blendCache_; }
    TextureStageProgram* GetBaseStageProgram() const { return stageProgram_; }

protected:
    ~OneTextureMaterialPlugin() override;

private:
    RenderingCache* chunkCache_ = nullptr;
    RenderingCache* maskCache_ = nullptr;
    RenderingCache* blendCache_ = nullptr;
    TextureStageProgram* stageProgram_ = nullptr;
};

}  // namespace Kiv
