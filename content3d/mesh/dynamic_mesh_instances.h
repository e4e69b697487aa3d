// The skinned mesh instances: KodrinDynamicIndexedMeshInstance (an indexed instance with
// skinning) and the progressive mesh instances, KodrinProgressiveMeshInstance (detail
// raised and lowered by the definition's steps) and KodrinDynamicProgressiveMeshInstance.
// A skinned instance draws chunks of its own wherever the skinning writes into them (the
// positions in software, the matrix slots on the display), and lets its matrix slots go
// when it goes, so no chunk keeps pointing at the skin matrices of a dead instance.
#pragma once

#include <cstdint>

#include "content3d/mesh/indexed_mesh_instance.h"
#include "content3d/mesh/influence_mesh.h"
#include "content3d/mesh/progressive_mesh_definition.h"
#include "engine/scalable_detail.h"

namespace Kiv {

class KodrinDynamicIndexedMeshInstance : public KodrinIndexedMeshInstance, public KodrinInfluenceMesh {
public:
    static constexpr int kTypeId = 18;

    explicit KodrinDynamicIndexedMeshInstance(RenderKernel* kernel) : KodrinIndexedMeshInstance(kernel) {}
    ~KodrinDynamicIndexedMeshInstance() override;

    bool InitFromResource(KodrinGeometryBaseResource& resource) override;
    int GetTypeId() const override { return kTypeId; }
    void Render(Display& display, Viewport* viewport, const Matrix4& matrix) override;
    void RenderTriangles(Display& display, Viewport* viewport, bool lighting) override;
    Particle* CreateInstance() const override;

    // A chunk of another skinned mesh (source is that mesh's skin, sourceKey the chunk's
    // index there) added with its skinning: influence groups copied to the bones of the
    // same names, or the chunk's matrices remapped to them. False, with nothing changed,
    // when the chunk's skinning kind differs from this mesh's or one of its bones has no
    // namesake here.
    virtual bool AddSkinnedChunk(GeometryChunk* chunk, Material* material, const KodrinInfluenceMesh& source,
                                 uint32_t sourceKey);
    // The same, appending the chunk's geometry to chunk i. A chunk skinned on the display
    // also needs a vertex program whose matrix registers hold all of the chunk's matrices.
    virtual bool AppendSkinnedChunkGeometry(GeometryChunk* chunk, uint32_t i, const KodrinInfluenceMesh& source,
                                            uint32_t sourceKey);

private:
    KodrinDynamicIndexedMeshInstance(RenderKernel* kernel, const KodrinInfluenceMesh& skin)
        : KodrinIndexedMeshInstance(kernel), KodrinInfluenceMesh(skin) {}
    // Merges group (vertices shifted by offset) into bone's group for chunk, else adds it.
    void MergeIntoChunkGroup(uint32_t bone, uint32_t chunk, const InfluenceGroup& group, uint32_t offset);
};

class KodrinProgressiveMeshInstance : public KodrinIndexedMeshInstance, public ScalableDetail {
public:
    static constexpr int kTypeId = 19;

    explicit KodrinProgressiveMeshInstance(RenderKernel* kernel) : KodrinIndexedMeshInstance(kernel) {}

    bool InitFromResource(KodrinGeometryBaseResource& resource) override;
    void InitFromDefinition(const KodrinIndexedMeshDefinition& definition) override;
    int GetTypeId() const override { return kTypeId; }
    Particle* CreateInstance() const override;
    bool AddChunk(GeometryChunk*, Material*) override { return false; }
    bool AppendChunkGeometry(GeometryChunk*, uint32_t) override { return false; }
    uint32_t GetCurrentStep() const { return currentStep_; }

protected:
    // Applies steps after the current one while the faces are below target; stops after
    // the last step.
    void RaiseDetail(uint32_t target) override;
    // Undoes the current step while the faces are above target, unless that would take
    // them below it; step 0 is never undone.
    void LowerDetail(uint32_t target) override;
    void CopyDetailFrom(const KodrinProgressiveMeshInstance& source);

private:
    // Adds (sign 1) or takes away (sign -1) step k's vertices, faces and index deltas.
    void ChangeStep(uint32_t k, int sign);
    uint32_t StepFaces(uint32_t k) const;
    void MakeEveryChunkUnique();

    const KodrinProgressiveMeshDefinition* definition_ = nullptr;
    uint32_t currentStep_ = 0;
};

class KodrinDynamicProgressiveMeshInstance : public KodrinProgressiveMeshInstance, public KodrinInfluenceMesh {
public:
    static constexpr int kTypeId = 20;

    explicit KodrinDynamicProgressiveMeshInstance(RenderKernel* kernel) : KodrinProgressiveMeshInstance(kernel) {}
    ~KodrinDynamicProgressiveMeshInstance() override;

    bool InitFromResource(KodrinGeometryBaseResource& resource) override;
    int GetTypeId() const override { return kTypeId; }
    void Render(Display& display, Viewport* viewport, const Matrix4& matrix) override;
    void RenderTriangles(Display& display, Viewport* viewport, bool lighting) override;
    Particle* CreateInstance() const override;

private:
    KodrinDynamicProgressiveMeshInstance(RenderKernel* kernel, const KodrinInfluenceMesh& skin)
        : KodrinProgressiveMeshInstance(kernel), KodrinInfluenceMesh(skin) {}
};

// The skinning shared by the skinned instances.
namespace InstanceSkinning {
// Makes every chunk the instance's own, sets the skin up from the definition's influences
// and binds it to a skeleton copy hung under the instance.
void Setup(KodrinIndexedMeshInstance& instance, KodrinInfluenceMesh& skin, const KodrinIndexedMeshDefinition& definition);
// A skinned instance's start from its resource: the definition's chunks, the skin set up,
// the attachment points; false when the resource has no definition.
bool InitFromResource(KodrinIndexedMeshInstance& instance, KodrinInfluenceMesh& skin, KodrinGeometryBaseResource& resource);
// After a copy: binds the copied skin to the copy's skeleton and gives the chunks skinned
// on the display private copies pointed at the copy's bones (every chunk, when the skin
// rewrites positions in software).
void Rebind(KodrinIndexedMeshInstance& instance, KodrinInfluenceMesh& skin);
// Clears every matrix slot of the instance's chunks that points at the skin's matrices.
void ReleaseSlots(const KodrinIndexedMeshInstance& instance, const KodrinInfluenceMesh& skin);
// Makes every chunk skinned on the display (no 0x40) the instance's own.
void MakeDisplaySkinnedChunksUnique(KodrinIndexedMeshInstance& instance);
// Points each matrix slot of chunk at the skin matrix of the bone its matrix list names.
void PointSlotsAtListedBones(const KodrinInfluenceMesh& skin, GeometryChunk& chunk);
}  // namespace InstanceSkinning

}  // namespace Kiv
