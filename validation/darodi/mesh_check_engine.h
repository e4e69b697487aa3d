// DAROdi::MeshCheckEngine: what the mesh checks ask of the 3D engine, behind one interface
// that start-up installs (SetMeshCheckEngine). The checks resolve a mesh resource by its
// lower-cased name on the location's resource database, lock it, build an instance (plain
// or LOD) and read from it and its definition the level count, selection, face count,
// attachment names, failed textures and material texture names; they look textures up,
// add animations, find particles by name and put a loaded instance into the validation
// scene. The checks' load and animation steps run as the engine's main-thread jobs. With
// no engine installed no mesh loads and the mesh-file check answers null.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/pstring.h"
#include "engine/string.h"

namespace DAROdi {

// The type of a resource found under a mesh name.
enum class MeshResourceKind { kNone, kProgressive, kGeometry, kOther };

// A mesh instance with its definition, owned by the checked mesh that built it.
class MeshCheckInstance {
  public:
    virtual ~MeshCheckInstance() = default;
    // The definition's attachment point names, in order.
    virtual std::vector<Kiv::PString> GetAttachmentNames() const = 0;
    // Levels of a LOD instance (1 for a plain one); SelectLevel picks the level drawn.
    virtual int32_t GetLevelCount() const = 0;
    virtual void SelectLevel(int32_t level) = 0;
    // Faces of the selected level.
    virtual int32_t GetFaceCount() const = 0;
    // The definition's failed textures: paths relative to the location folder.
    virtual std::vector<Kiv::String> GetFailedTextures() const = 0;
    // The texture names of each material of the definition, material by material.
    virtual std::vector<std::vector<Kiv::String>> GetMaterialTextureNames() const = 0;
    // Whether a particle of that name exists under the mesh.
    virtual bool HasParticle(const Kiv::PString& name) const = 0;
    // The animator's answer to adding the animation of that (lower-cased) name: 2 no
    // skeleton, 3 no resource, 4 no observer, anything else added.
    virtual int32_t AddAnimation(const Kiv::PString& name) = 0;
    // The shown flag (particle flag bit 1) of the mesh in the validation scene.
    virtual void SetShown(bool shown) = 0;
};

// A resource reference; released when deleted.
class MeshCheckResource {
  public:
    virtual ~MeshCheckResource() = default;
    virtual MeshResourceKind GetKind() const = 0;
    // 0 when locked.
    virtual int32_t Lock() = 0;
    virtual void Unlock() = 0;
    // A new instance (a LOD instance when lod), or null when none can be made.
    virtual std::unique_ptr<MeshCheckInstance> CreateInstance(bool lod) = 0;
};

// The load and animation steps of a checked mesh, which the engine runs as its mesh
// object's main-thread jobs.
class MeshCheckSteps {
  public:
    virtual ~MeshCheckSteps() = default;
    virtual bool RunLoadStep() = 0;
    virtual bool RunAnimationStep() = 0;
};

class MeshCheckEngine {
  public:
    virtual ~MeshCheckEngine() = default;
    // Runs steps' load step as the load job of a new mesh object (LOD when lod) of that
    // name for context; an instance the step creates takes that object as its scene object.
    // The step's result.
    virtual bool RunLoad(MeshCheckSteps& steps, const Kiv::PString& name, bool lod,
                         void* context) = 0;
    // Runs steps' animation step as the animation job of instance's mesh object (at once
    // when there is no instance); the step's result.
    virtual bool RunAnimationLoad(MeshCheckSteps& steps, MeshCheckInstance* instance,
                                  const Kiv::PString& name) = 0;
    // The resource of that lower-cased name on the asset location's database, or null.
    virtual std::unique_ptr<MeshCheckResource> GetResource(const Kiv::PString& name) = 0;
    // Whether the render kernel's texture manager gives a texture of that name.
    virtual bool HasTexture(const Kiv::PString& name) = 0;
    // Adds a loaded instance to the validation scene, lit by its light.
    virtual void AddToScene(MeshCheckInstance& instance) = 0;
};

// The engine the checks use; null (the default) when none is installed.
void SetMeshCheckEngine(MeshCheckEngine* engine);
MeshCheckEngine* GetMeshCheckEngine();

} // namespace DAROdi
