// The LOD mesh instances: KodrinIndexedMeshLODInstance keeps its own copy of the LOD
// definition's level table and picks the level to draw from the camera distance at every
// cull (Kiv::ObjectLOD), while the selected level (the "collision" part, else the last
// distance level) fills the base class's chunk set and answers collision and triangle
// queries. KodrinDynamicIndexedMeshLODInstance adds skinning per level, animated levels
// skinned while not drawn, and the animation cut-off.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "content3d/mesh/indexed_mesh_instance.h"
#include "content3d/mesh/influence_mesh.h"
#include "content3d/mesh/lod_mesh_definition.h"
#include "engine/object_lod.h"

namespace Kiv {

class KodrinIndexedMeshLODInstance : public KodrinIndexedMeshInstance, public ObjectLOD {
public:
    static constexpr int kTypeId = 21;
    static constexpr float kCullRadiusMargin = 5.0f;
    // The particle flag culled attachments and "b." children get (the shown bit).
    static constexpr uint32_t kCulledFlag = 2;

    explicit KodrinIndexedMeshLODInstance(RenderKernel* kernel) : KodrinIndexedMeshInstance(kernel) {}

    bool InitFromResource(KodrinGeometryBaseResource& resource) override;
    virtual void UpdateLevelLighting(Display& display, Viewport* viewport, const Matrix4& matrix, uint32_t level,
                                     bool force);
    virtual void UpdateAllLighting(Display& display, Viewport* viewport, const Matrix4& matrix,
                                   bool distanceLevelsOnly, bool force);
    virtual void InitFromLODDefinition(const KodrinIndexedMeshLODDefinition& definition);

    int GetTypeId() const override { return kTypeId; }
    void Cull(ViewPoint& viewpoint, const Matrix4& matrix) override;
    void Render(Display& display, Viewport* viewport, const Matrix4& matrix) override;
    Particle* CreateInstance() const override;
    void SetOpacity(float opacity) override;
    void MakeChunkArrayUnique() override;
    void MakeMaterialArrayUnique() override;
    void MakeChunkUnique(uint32_t i) override;
    void MakeMaterialUnique(uint32_t i) override;
    bool AddChunk(GeometryChunk*, Material*) override { return false; }
    bool AppendChunkGeometry(GeometryChunk*, uint32_t) override { return false; }
    void SetScale(const Vector3& scale) override { StoreScale(scale); }
    void SetUpdateLighting(bool update) override;
    void UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force) override;
    void RenderTriangles(Display& display, Viewport* viewport, bool lighting) override;

    // The level whose chunks fill the base class; an index outside the table changes nothing.
    void SelectLevel(uint32_t index);
    // Levels in the instance's table (distance and named).
    uint32_t GetLevelCount() const { return static_cast<uint32_t>(levels_.size()); }
    uint32_t GetDistanceLevelCount() const { return ObjectLOD::GetLevelCount(); }
    uint32_t GetSelectedLevel() const { return selectedLevel_; }
    uint32_t GetDrawLevel() const { return drawLevel_; }
    const LODLevel& GetLevel(uint32_t i) const { return levels_[i]; }
    void SetLevelLocked(bool locked) { levelLocked_ = locked; }
    bool IsLevelLocked() const { return levelLocked_; }
    // Culling keeps drawing this level while locked.
    void LockDrawLevel(uint32_t level);
    const std::vector<Particle*>& GetCulledAttachments() const { return culledAttachments_; }

protected:
    // The chunks a level holds: its count, never more than its arrays.
    static uint32_t HeldChunks(const LODLevel& level);
    // The level of the named part "collision", else the last distance level.
    uint32_t CollisionLevel() const;
    void CopyLODFrom(const KodrinIndexedMeshLODInstance& source);
    // Hangs the skeleton copy and finds each level's chunk bones.
    void AddLevelChunkBones(const ParticleBone* root);
    void FindCulledAttachments();
    void FinishFromResource(const KodrinIndexedMeshLODDefinition& definition);
    // Makes level i's chunk array private and every chunk that keep selects its own, each
    // prepared for the display.
    void MakeLevelChunksUnique(uint32_t i, bool (*keep)(const GeometryChunk& chunk));
    static bool SkinnedInSoftware(const GeometryChunk& chunk) {
        return (chunk.GetFlags() & GeometryChunk::kSoftwareSkinned) != 0;
    }

    std::vector<LODLevel> levels_;
    std::shared_ptr<const std::vector<LODNamedPart>> namedParts_;
    uint32_t drawLevel_ = 0;

private:
    void StoreSelectedChunks();
    void StoreSelectedMaterials();

    uint32_t selectedLevel_ = 0;
    bool levelLocked_ = false;
    std::vector<uint8_t> levelNeedsLighting_;
    uint32_t levelsToLight_ = 0;
    float renderCutOff_ = 0;
    float attachmentCutOff_ = 0;
    std::vector<PString> culledNames_;
    std::vector<Particle*> culledAttachments_;
};

class KodrinDynamicIndexedMeshLODInstance : public KodrinIndexedMeshLODInstance, public KodrinInfluenceMesh {
public:
    static constexpr int kTypeId = 22;
    static constexpr uint8_t kSkinPending = 1;
    static constexpr uint8_t kBeyondCutOff = 2;

    explicit KodrinDynamicIndexedMeshLODInstance(RenderKernel* kernel) : KodrinIndexedMeshLODInstance(kernel) {}
    ~KodrinDynamicIndexedMeshLODInstance() override;

    bool InitFromResource(KodrinGeometryBaseResource& resource) override;
    int GetTypeId() const override { return kTypeId; }
    void Cull(ViewPoint& viewpoint, const Matrix4& matrix) override;
    void Render(Display& display, Viewport* viewport, const Matrix4& matrix) override;
    void RenderTriangles(Display& display, Viewport* viewport, bool lighting) override;
    Particle* CreateInstance() const override;

    const std::vector<uint32_t>& GetAnimatedLevels() const { return animatedLevels_; }
    uint8_t GetSkinFlags() const { return skinFlags_; }

private:
    KodrinDynamicIndexedMeshLODInstance(RenderKernel* kernel, const KodrinInfluenceMesh& skin)
        : KodrinIndexedMeshLODInstance(kernel), KodrinInfluenceMesh(skin) {}
    // The cut-off's hysteresis, then the drawn level and the animated ones skinned.
    void Skin(uint32_t frame);
    void MarkBoneChildren(bool beyond);
    // Gives every level's display-skinned chunks private copies pointed at the bones.
    void PointLevelsAtBones();
    // Every chunk of a level whose positions the skin rewrites (skinned in software)
    // that is not already the instance's own gets a private copy.
    void MakeRewrittenLevelsUnique();

    std::vector<uint32_t> animatedLevels_;
    float animationCutOff_ = 0;
    uint8_t skinFlags_ = kSkinPending | kBeyondCutOff;
};

}  // namespace Kiv
