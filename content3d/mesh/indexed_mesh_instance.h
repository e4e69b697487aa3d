// KodrinIndexedMeshInstance: the scene particle that shows one loaded indexed mesh. It
// shares the definition's chunk and material arrays until it must change them, and keeps
// its own opacity, scale, lighting state and skeleton copy. It answers the engine's cull,
// draw, collision and triangle queries. The mesh resources make instances
// (CreateMeshInstance); the skinned, progressive and LOD classes derive from it.
// Everything hung below an instance (reference and attachment points, the skeleton copy)
// is the instance's and goes with it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "content3d/mesh/reference_array.h"
#include "engine/attachment_point.h"
#include "engine/geometry_chunk.h"
#include "engine/light_target.h"
#include "engine/material.h"
#include "engine/oriented_box.h"
#include "engine/triangle_geometry.h"

namespace Kiv {

class Bitmap;
class KodrinGeometryBaseResource;
class KodrinIndexedMeshDefinition;
class RenderKernel;

struct ProjectedPoint {
    float x = 0;
    float y = 0;
};

class KodrinIndexedMeshInstance : public ParticleStructure, public TriangleGeometry, public LightTarget {
public:
    static constexpr int kTypeId = 17;
    static constexpr float kTreeSegmentLength = 5000.0f;

    explicit KodrinIndexedMeshInstance(RenderKernel* kernel);
    ~KodrinIndexedMeshInstance() override;

    // Holds and locks the resource and fills the instance from its definition; false
    // (nothing filled) when the resource has no loaded definition.
    virtual bool InitFromResource(KodrinGeometryBaseResource& resource);

    virtual void SetResource(KodrinGeometryBaseResource* resource);
    virtual void MakeChunkArrayUnique();
    virtual void MakeMaterialArrayUnique();
    virtual void MakeChunkUnique(uint32_t i);
    virtual void MakeMaterialUnique(uint32_t i);
    virtual bool AddChunk(GeometryChunk* chunk, Material* material);
    virtual bool AppendChunkGeometry(GeometryChunk* source, uint32_t i);
    virtual void SetScale(const Vector3& scale);
    virtual const Vector3& GetScale() const { return scale_; }
    virtual uint32_t GetFaceCount() const;
    // Appends (x m00 + y m10 + z m20 + offset.x, x m01 + y m11 + z m21 + offset.y) for every
    // vertex of every chunk; m is a row-major 3 x 3 matrix.
    virtual void ProjectVertices(std::vector<ProjectedPoint>& points, const Matrix3& m, const ProjectedPoint& offset) const;
    virtual bool SetTextureFromFile(int a, int b, uint32_t material, int slot, const char* path);
    // Bitmap formats 1, 2, 3, 4 are written in display formats 5, 1, 3, 8.
    virtual bool SetTextureFromBitmap(int a, int b, uint32_t material, int slot, const Bitmap& bitmap);
    virtual void UpdateBoundingVolume();
    virtual void InitFromDefinition(const KodrinIndexedMeshDefinition& definition);

    // Engine operations.
    int GetTypeId() const override { return kTypeId; }
    void Cull(ViewPoint& viewpoint, const Matrix4& matrix) override;
    void Render(Display& display, Viewport* viewport, const Matrix4& matrix) override;
    Particle* CreateInstance() const override;
    float GetOpacity() const override { return opacity_; }
    void SetOpacity(float opacity) override;
    void UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force) override;
    // The nearest face the ray meets, in the instance's space; true when it is nearer than
    // best, which then takes its distance.
    virtual bool TestCollisionGeometry(const Vector3& point, const Vector3& direction, float& best,
                                       TriangleFace& face);

    // Triangle geometry.
    void RenderTriangles(Display& display, Viewport* viewport, bool lighting) override;
    bool IsNotVisited(uint32_t frame) const override { return !WasVisited(frame); }
    BoundingSphere GetGlobalBoundingSphere() const override { return GetBoundingSphere(); }
    bool GetFaceNeighbour(const TriangleFace& face, int edge, TriangleFace& out) const override;
    Vector3 GetFaceCentroid(const TriangleFace& face) const override;
    Vector3 GetFaceNormal(const TriangleFace& face) const override;
    bool GetFaceVertex(const TriangleFace& face, int k, Vector3& out) const override;
    Material* GetFaceMaterial(const TriangleFace& face) const override;

    RenderKernel* GetRenderKernel() const { return renderKernel_; }
    KodrinGeometryBaseResource* GetResource() const { return resource_; }
    uint32_t GetChunkCount() const { return chunkCount_; }
    GeometryChunk* GetChunk(uint32_t i) const { return i < chunkCount_ ? (*chunks_)[i] : nullptr; }
    Material* GetMaterial(uint32_t i) const { return i < chunkCount_ ? (*materials_)[i] : nullptr; }
    const SharedReferenceArray<GeometryChunk>& GetChunkArray() const { return chunks_; }
    const SharedReferenceArray<Material>& GetMaterialArray() const { return materials_; }
    const std::vector<Particle*>& GetChunkBones() const { return chunkBones_; }
    bool IsScaled() const { return scaled_; }
    // The skeleton copy hung under the instance; null without one.
    const ParticleBone* GetSkeletonChild() const;
    ParticleBone* GetSkeletonChild() {
        return const_cast<ParticleBone*>(static_cast<const KodrinIndexedMeshInstance*>(this)->GetSkeletonChild());
    }
    // Hangs a copy of the skeleton under root under the instance, as its structure's
    // skeleton; null without a root.
    ParticleBone* AddSkeletonClone(const ParticleBone* root);
    float GetTextureDensity() const { return textureDensity_; }

protected:
    // What every instance takes from a definition besides its chunk set: density, bounds,
    // reference points, name, bounding volume.
    void InitCommonFromDefinition(const KodrinIndexedMeshDefinition& definition);
    // Keeps the scale and whether it is one, nothing more.
    void StoreScale(const Vector3& scale);
    // The copy step of CreateInstance: fills this (new, same kernel) from source.
    void CopyFrom(const KodrinIndexedMeshInstance& source);
    // The chunk set of the base class (a LOD level's, for the LOD classes).
    void SetChunkSet(uint32_t count, SharedReferenceArray<GeometryChunk> chunks, SharedReferenceArray<Material> materials);
    // Appends chunk (its reference taken over) and material (referenced) to private arrays.
    void AppendOwnChunk(GeometryChunk* chunk, Material* material);
    // Chunk i becomes chunk (its reference taken over), in private arrays.
    void ReplaceOwnChunk(uint32_t i, GeometryChunk* chunk);
    // Makes unique and prepares every chunk flagged as skinned in software.
    void PrepareSoftwareSkinnedChunks();
    bool PrepareChunk(GeometryChunk& chunk) const;
    Display* GetDisplay() const;
    // The bone of each chunk's material name under skeleton (none for an empty name).
    static std::vector<Particle*> FindChunkBones(Particle* skeleton, const std::vector<PString>& names);
    std::vector<PString> ChunkMaterialNames(const KodrinIndexedMeshDefinition& definition) const;
    // The particle of a name under the instance (the instance itself excluded), or null.
    Particle* FindBelow(const PString& name) const;
    Matrix4 ScaledMatrix(const Matrix4& matrix) const;
    // Draws chunks through their materials; with bones, only chunks whose bone was visited
    // this frame, each with its bone's world matrix.
    void DrawChunks(Display& display, Viewport* viewport, const Matrix4& matrix, uint32_t count,
                    GeometryChunk* const* chunks, Material* const* materials, const std::vector<Particle*>& bones) const;
    void ActivateMaterials(int level) const;
    // The triangle geometry's drawing over one chunk set.
    void RenderChunkSet(Display& display, bool lighting, uint32_t count, GeometryChunk* const* chunks,
                        Material* const* materials);
    GeometryChunk* FaceChunk(const TriangleFace& face) const;

    std::vector<Particle*> chunkBones_;
    float opacity_ = 1.0f;

private:
    void AddReferencePoints(const KodrinIndexedMeshDefinition& definition);
    bool TestChunkFaces(const Vector3& point, const Vector3& direction, float& nearest, TriangleFace& face) const;
    void DeleteSubtree();

    RenderKernel* renderKernel_;
    KodrinGeometryBaseResource* resource_ = nullptr;
    uint32_t chunkCount_ = 0;
    SharedReferenceArray<GeometryChunk> chunks_;
    SharedReferenceArray<Material> materials_;
    Vector3 scale_{1, 1, 1};
    Vector3 boundsMax_;
    Vector3 boundsMin_;
    OrientedBox orientedBox_;
    float textureDensity_ = 0;
    bool scaled_ = false;
};

// Whether the ray from point along direction meets the triangle (two-sided: either face;
// else only the front face, counter-clockwise seen from the ray); distance is then the
// ray's parameter at the hit.
bool RayMeetsTriangle(const Vector3& point, const Vector3& direction, const Vector3& v0, const Vector3& v1,
                      const Vector3& v2, bool twoSided, float& distance);

}  // namespace Kiv
