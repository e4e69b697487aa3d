// KodrinIndexedMeshDefinition: the parsed, shared form of one indexed mesh, filled from an
// ".im" file by LoadBinary: its geometry chunks (one per material, chunk i drawn with
// material i), origin and bounds, bone influences and the skeleton built from them,
// attachment points, and the blend streams hardware skinning draws with. A mesh resource
// owns one; instances read it. Every count the file gives is checked against the bytes
// left before anything is sized by it; readers return a MeshLoadResult code.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "content3d/mesh/collision_geometry.h"
#include "content3d/mesh/mesh_load_result.h"
#include "content3d/mesh/mesh_loader_settings.h"
#include "content3d/mesh/mesh_records.h"
#include "content3d/mesh/overlapped_resource.h"
#include "content3d/mesh/qx_axis_box_tree.h"
#include "engine/config_parser.h"
#include "engine/geometry_chunk.h"
#include "engine/geometry_config_data.h"
#include "engine/influence_definition.h"
#include "engine/mesh_file_support.h"
#include "engine/oriented_box.h"
#include "engine/particle_bone.h"
#include "engine/rand.h"

namespace Kiv {

class Display;
class KodrinGeometryBaseResource;
class Material;
class MaterialManager;
class ParticleStructure;

class KodrinIndexedMeshDefinition : public MeshFileSupport {
public:
    static constexpr uint32_t kMaxInfluences = 1024;  // more reads as none
    static constexpr int kMaxBoneDepth = 512;

    explicit KodrinIndexedMeshDefinition(const MeshLoaderSettings& settings);
    virtual ~KodrinIndexedMeshDefinition();
    KodrinIndexedMeshDefinition(const KodrinIndexedMeshDefinition&) = delete;
    KodrinIndexedMeshDefinition& operator=(const KodrinIndexedMeshDefinition&) = delete;

    // The resource's database resolves name; the file's bytes go into the memory file.
    int OpenFile(KodrinGeometryBaseResource& resource, const char* name);
    // Reads the opened ".im" data.
    virtual int LoadBinary(Display* display, MaterialManager* manager,
                           KodrinGeometryBaseResource* resource, const char* name,
                           uint32_t defaultColour);

    // The text mesh ("imtxt"): parsed by the engine's ConfigParser, then LoadConfig.
    int LoadText(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                 const char* name, uint32_t defaultColour);
    int LoadConfig(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                   const ConfigData& root, const char* name, uint32_t defaultColour);
    // The generator of the names given to undecorated text-mesh materials.
    static Rand& MaterialNameRand();

    // Load completion: textures of the material entries, then display buffers.
    void AssignDeferredTextures();
    int PrepareChunks(Display* display);
    // 252 + 300 per influence + 52 per attachment + per chunk stride x V + 2 x I.
    size_t CalculateDataSize() const;

    // Accessors of the loaded mesh.
    const Vector3& GetPosition() const { return position_; }
    const Vector4& GetOrientation() const { return orientation_; }
    const Vector3& GetBoundsMin() const { return boundsMin_; }
    const Vector3& GetBoundsMax() const { return boundsMax_; }
    const PString& GetFileName() const { return fileName_; }
    uint32_t GetChunkCount() const { return chunkCount_; }
    uint32_t GetVertexTotal() const { return vertexTotal_; }
    uint32_t GetFaceTotal() const { return faceTotal_; }
    uint32_t GetMaxWeightsPerVertex() const { return maxWeightsPerVertex_; }
    uint32_t GetMaxBonesPerChunk() const { return maxBonesPerChunk_; }
    uint32_t GetBonesPerChunkLimit() const { return bonesPerChunkLimit_; }
    bool IsHardwareSkinning() const { return hardwareSkinning_; }
    bool IsDisplaySkinningCapable() const { return displaySkinningCapable_; }
    GeometryChunk* GetChunk(uint32_t i) const { return i < chunks_.size() ? chunks_[i] : nullptr; }
    Material* GetMaterial(uint32_t i) const { return i < materials_.size() ? materials_[i] : nullptr; }
    const std::vector<Material*>& GetMaterialArray() const { return materials_; }
    const std::vector<GeometryChunk*>& GetChunkArray() const { return chunks_; }
    const std::vector<MeshAttachment>& GetAttachments() const { return attachments_; }
    const std::vector<InfluenceDefinition>& GetInfluences() const { return influences_; }
    const std::vector<TextureDef>& GetFailedTextures() const { return failedTextures_; }
    const std::vector<MeshMaterialEntry*>& GetMaterialEntries() const { return materialEntries_; }
    ParticleBone* GetSkeletonRoot() const { return skeletonRoot_; }
    float GetTextureDensity() const { return textureDensity_; }
    const OrientedBox& GetOrientedBox() const { return orientedBox_; }
    const MeshLoaderSettings& GetLoaderSettings() const { return loaderSettings_; }
    // Entry i of the chunk material names; empty when i is not below the chunk count.
    PString GetChunkMaterialName(uint32_t i) const;
    // The bone table that fixes the matrix numbering of BuildInfluenceStreams (not owned).
    void SetSharedBoneTable(const std::vector<PString>* names) { sharedBoneTable_ = names; }

    // Attachments whose names begin with "a" or "A" become attachment points of an
    // instance's structure (under its skeleton when it has one).
    void AddAttachmentPoints(ParticleStructure& structure) const;

    // The collision tree: requested from the overlapped worker when there is neither a
    // tree nor a request (nothing without a worker); a poll completes a finished request.
    void RequestCollisionTree();
    QXAxisBoxTree* GetCollisionTree();

    // Per-chunk accessors (0 or empty for a chunk out of range).
    int GetChunkVertexCount(uint32_t i) const;
    int GetChunkIndexCount(uint32_t i) const;
    uint32_t GetChunkType(uint32_t i) const;
    int GetChunkTexCoordSetCount(uint32_t i) const;
    // Most influences that touch one vertex of chunk i.
    int GetChunkMaxVertexInfluences(uint32_t i) const;

    // Copies of chunk i's data into a caller's buffer, one item every stride bytes; false
    // (nothing written) for a chunk out of range or a stream the chunk lacks.
    struct StridedBuffer {
        size_t stride = 0;
        uint8_t* data = nullptr;
    };
    bool CopyPositions(uint32_t i, StridedBuffer out) const;
    bool CopyNormals(uint32_t i, StridedBuffer out) const;
    // The n-th texture-coordinate set the chunk carries.
    bool CopyTexCoords(uint32_t i, int n, StridedBuffer out) const;
    // The first colour kind (first true) or the second; fallback for every vertex when the
    // chunk has no such stream.
    bool CopyColours(uint32_t i, bool first, uint32_t fallback, StridedBuffer out) const;
    bool CopyIndices(uint32_t i, uint16_t* out) const;
    bool CopyFaceNormals(uint32_t i, Vector3* out) const;

    // Chunk i's material and what it holds (defaults for a chunk out of range).
    bool GetMaterialFlag(uint32_t i) const;
    float GetMaterialOpacity(uint32_t i) const;
    DisplayMaterial GetMaterialDisplay(uint32_t i) const;
    size_t GetMaterialPropertyCount(uint32_t i) const;
    // Key (which 0) or value (1) of property n; empty when absent.
    PString GetMaterialProperty(uint32_t i, size_t n, int which) const;

    // Influence and attachment records as the engine reads them.
    Vector4 GetInfluenceRotation(uint32_t i) const;
    Vector4 GetAttachmentRotation(uint32_t i) const;

protected:
    int ReadHeader(uint32_t& endOffset);
    int ReadInfo();
    int ReadChunks(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                   uint32_t defaultColour);
    int ReadChunk(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                  uint32_t position, uint32_t defaultColour);
    int ReadGeometry(KodrinGeometryBaseResource* resource, uint32_t position, uint32_t defaultColour);
    int ReadMaterial(MaterialManager* manager, KodrinGeometryBaseResource* resource, uint32_t position);
    int CreateChunkMaterial(MaterialManager* manager, KodrinGeometryBaseResource* resource,
                            uint32_t position, const MeshMaterialRecord& record);
    int ReadNeighbours(uint32_t position, uint32_t chunkEnd);
    int ReadAttachments();
    int ReadInfluences();
    int ReadBone(ParticleBone* parent, int depth);
    int CreateMaterial(MaterialManager* manager, KodrinGeometryBaseResource* resource, uint32_t position,
                       const ConfigMaterial& material);
    int BuildConfigChunk(KodrinGeometryBaseResource* resource, uint32_t position, const ConfigChunk& data,
                         uint32_t defaultColour);
    void ReadConfigInfluences(const GeometryConfigData& data);
    void ReadConfigAttachments(const GeometryConfigData& data);
    // Reading past the file's end or declared ends is a format error.
    int CheckRead() const { return file_.Failed() ? RES_FILE_FORMAT_ERROR : RES_OK; }

    void DecideHardwareSkinning();
    void CountTotals();
    void BuildSkeletonFromInfluences();
    void BuildInfluenceStreams();
    void ComputeBounds();
    void ComputeTextureDensity();
    void ComputeOrientedBox();

    MemoryFile file_;
    PString fileName_;
    uint32_t chunkCount_ = 0;
    uint32_t faceTotal_ = 0;
    bool hardwareSkinning_ = false;
    bool displaySkinningCapable_ = false;

    // Writes one group's weights into the blend streams of chunk, as matrix number a.
    static void WriteGroupStreams(GeometryChunk& chunk, const InfluenceGroup& group, uint32_t a);

private:
    int ReadInfluence(InfluenceDefinition& influence);
    void KeepChunk(uint32_t position, GeometryChunk* chunk);
    void DropLastChunk();
    int InfluenceBoneFor(uint32_t a) const;
    static bool BuildCollisionTree(void* userData, Overlapped& handle);
    static bool TakeCollisionTree(void* userData, Overlapped& handle);
    void CancelCollisionRequest();

protected:
    // The blend streams of a hardware-skinned chunk set to one full weight on matrix 0;
    // false when the chunk lacks them.
    bool FillBlendStreams(GeometryChunk& chunk, const ChunkHint& hint) const;
    ChunkHint MakeChunkHint(KodrinGeometryBaseResource* resource, uint32_t weightMode, bool fromText);

    Vector3 position_;
    Vector4 orientation_{0, 0, 0, 1};
    Vector3 boundsMax_;
    Vector3 boundsMin_;
    uint32_t vertexTotal_ = 0;
    uint32_t maxWeightsPerVertex_ = 0;
    uint32_t maxBonesPerChunk_ = 0;
    uint32_t maxHardwareWeights_ = 4;
    uint32_t bonesPerChunkLimit_ = 25;
    std::vector<GeometryChunk*> chunks_;  // one reference each
    std::vector<Material*> materials_;    // one reference each
    std::vector<MeshAttachment> attachments_;
    std::vector<TextureDef> failedTextures_;
    std::vector<MeshMaterialEntry*> materialEntries_;
    std::vector<InfluenceDefinition> influences_;
    // Chunk position in the file -> kept position (-1: dropped).
    std::vector<int32_t> keptPositions_;
    std::vector<PString> chunkMaterialNames_;
    ParticleBone* skeletonRoot_ = nullptr;
    MeshLoaderSettings loaderSettings_;
    const std::vector<PString>* sharedBoneTable_ = nullptr;
    float textureDensity_ = 0;
    OrientedBox orientedBox_;

private:
    std::unique_ptr<QXAxisBoxTree> collisionTree_;
    std::unique_ptr<CollisionGeometrySharingInterface> collisionGeometry_;
    std::unique_ptr<OverlappedResourceCallback> collisionRequest_;
};

}  // namespace Kiv
