// KodrinInfluenceMesh: the skinning of the dynamic mesh instances. One SkinBone per bone of
// the mesh (bone i is matrix slot i of every hardware-skinned chunk) is bound by name to a
// particle of the instance's skeleton copy. Per level (chunk set), the skinning is done on
// the display (each chunk's matrix slots point at the bones' skin matrices, recomputed
// each frame) or in software (positions rebuilt from the weighted bone-space offsets).
// Each level is skinned at most once per frame.
#pragma once

#include <cstdint>
#include <vector>

#include "content3d/mesh/lod_mesh_definition.h"
#include "engine/influence_definition.h"
#include "engine/matrix4.h"
#include "engine/transformation.h"

namespace Kiv {

class GeometryChunk;
class Particle;

struct SkinLevel {
    bool hardwareSkinned = false;
    std::vector<InfluenceGroup> groups;  // empty on a hardware level
};

struct SkinBone {
    PString name;
    PString parentName;
    Matrix4 skinMatrix;
    Matrix4 inverseBind;
    Particle* particle = nullptr;
    std::vector<SkinLevel> levels;
    Vector4 bindRotation{0, 0, 0, 1};
    Vector3 bindPosition;
    std::vector<uint32_t> children;  // indices of the child records
};

class KodrinInfluenceMesh {
public:
    static constexpr uint32_t kNoBone = 0xFFFFFFFF;

    KodrinInfluenceMesh() = default;
    // Copies every record and its groups; the frames start again at 0.
    KodrinInfluenceMesh(const KodrinInfluenceMesh& other);
    KodrinInfluenceMesh& operator=(const KodrinInfluenceMesh&) = delete;
    virtual ~KodrinInfluenceMesh();

    // Binds the records to the particles of their names under root and takes the bind pose.
    virtual void SetSkeleton(Particle* root);
    // Zeroes the positions of the chunks unless the level is skinned on the display.
    virtual void ClearPositions(uint32_t chunkCount, GeometryChunk* const* chunks, uint32_t level);
    // Skins a level's chunks for a frame (frame 0 always; another frame once).
    virtual void Update(uint32_t chunkCount, GeometryChunk* const* chunks, uint32_t frame, uint32_t level);
    // One level per level of the LOD table; hardware levels point their chunks at the bones.
    virtual void SetupFromLODBones(const std::vector<LODBone>& bones, const std::vector<LODLevel>& levels);
    // One level; with hardware set the chunks' slots point at the bones.
    virtual void SetupFromMeshInfluences(const std::vector<InfluenceDefinition>& influences, bool hardware,
                                         uint32_t chunkCount, GeometryChunk* const* chunks);
    // The root record; null when no record lacks a parent name.
    virtual const SkinBone* GetRootBone() const;

    // Points the matrix slots of a chunk at the bones (slot i: bone i).
    void PointChunkAtBones(GeometryChunk& chunk) const;
    // Appends a copy of group to bone's groups for level.
    void AppendGroup(uint32_t bone, uint32_t level, const InfluenceGroup& group);
    // Appends group's entries to target, their vertex numbers shifted by offset.
    static void MergeGroup(InfluenceGroup& target, const InfluenceGroup& group, uint32_t offset);
    // Appends a copy of group to bone i's first level; false past the bones or without levels.
    bool AppendGroupToFirstLevel(uint32_t bone, const InfluenceGroup& group);
    // The record of a name; kNoBone when none.
    uint32_t FindBone(const PString& name) const;
    // Whether Update rewrites the positions of the level's chunks (it is not skinned on the
    // display), so the chunks it is given must be the instance's own.
    bool RewritesPositions(uint32_t level) const;

    const std::vector<SkinBone>& GetBones() const { return bones_; }
    std::vector<SkinBone>& GetBones() { return bones_; }
    Particle* GetSkeleton() const { return skeleton_; }
    const std::vector<uint32_t>& GetLevelFrames() const { return levelFrames_; }

private:
    void BuildHierarchy();
    // The local placement of a bone: its bone particle's, else its bind pose.
    void LocalPlacement(const SkinBone& bone, Vector4& rotation, Vector3& position) const;
    void BindPose(uint32_t bone, const Transformation& parent);
    void UpdateHardware(uint32_t bone, const Transformation& parent);
    void UpdateSoftware(uint32_t bone, const Transformation& parent, uint32_t chunkCount, GeometryChunk* const* chunks,
                        uint32_t level);
    // The particle's scale on the first three rows, for bones whose scale is in use.
    void ApplyParticleScale(const SkinBone& bone, Matrix4& world) const;

    std::vector<SkinBone> bones_;
    uint32_t rootBone_ = kNoBone;
    Particle* skeleton_ = nullptr;
    std::vector<uint32_t> levelFrames_;
};

}  // namespace Kiv
