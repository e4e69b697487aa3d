// KodrinIndexedMeshLODDefinition: one model stored as several complete indexed meshes
// ("levels") of falling detail. Distance levels come first, in order of their switch
// distances; further levels are reached only by a key name (namedParts). It is read from
// the hand-written "lm.txt" (ParseText, one part mesh file per level) or from the binary
// ".lm" file (LoadBinary), and written as ".lm" (Write). The base class's own chunk set is
// a second reference to the last distance level. The LOD resource owns one; instances
// and validation read its levels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

class File;
class Particle;

struct LODLevel {
    uint32_t chunkCount = 0;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    bool hardwareSkinned = false;
    std::vector<GeometryChunk*> chunks;  // one reference each
    std::vector<Material*> materials;    // one reference each, parallel to chunks
    std::vector<PString> materialNames;  // the part's chunk material names ("lm.txt" only)
    std::vector<Particle*> chunkBones;   // empty in the definition

    LODLevel() = default;
    LODLevel(const LODLevel& other);
    LODLevel& operator=(const LODLevel&) = delete;
    ~LODLevel();
};

struct LODNamedPart {
    PString key;  // lower case
    uint32_t level = 0;
    bool animated = false;
};

struct LODInfluenceList {
    std::vector<InfluenceGroup> groups;
};

struct LODBone {
    std::string name;
    std::string parent;  // empty for the root
    Vector3 position;
    Matrix3 rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::vector<LODInfluenceList> levelInfluences;  // one per level
};

class KodrinIndexedMeshLODDefinition : public KodrinIndexedMeshDefinition {
public:
    explicit KodrinIndexedMeshLODDefinition(const MeshLoaderSettings& settings);
    ~KodrinIndexedMeshLODDefinition() override;

    // ".lm": reads the file opened with OpenFile.
    int LoadBinary(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                   const char* name, uint32_t defaultColour) override;
    // "lm.txt": text is the file's content, path the name the definition takes.
    int ParseText(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                  std::string_view text, const char* path, uint32_t defaultColour);
    // Writes the ".lm" bytes to out; 1 (nothing written) when there are no levels.
    int Write(std::string& out) const;
    int Write(File& file) const;
    // Load completion: part textures, shared level materials, display buffers.
    int ShareLevelMaterials(Display* display);
    size_t CalculateDataSize() const;

    const std::vector<LODLevel>& GetLevels() const { return levels_; }
    uint32_t GetLevelCount() const { return static_cast<uint32_t>(levels_.size()); }
    const std::vector<float>& GetDistances() const { return distances_; }
    const std::vector<LODNamedPart>& GetNamedParts() const { return namedParts_; }
    const std::vector<PString>& GetCullList() const { return cullList_; }
    const std::vector<LODBone>& GetBoneTable() const { return boneTable_; }
    uint32_t GetCalcPoint() const { return calcPoint_; }
    float GetOffset() const { return offset_; }
    float GetMultiplier() const { return multiplier_; }
    float GetAnimationCutOff() const { return animationCutOff_; }
    float GetRenderCutOff() const { return renderCutOff_; }
    float GetAttachmentCutOff() const { return attachmentCutOff_; }
    const PString& GetName() const { return name_; }
    bool IsAttachmentCulled(const PString& name) const;
    // Whether a level holds hardware-skinned chunks of bones (for instances).
    bool HasBones() const { return !boneTable_.empty(); }

private:
    friend class LODTextReader;
    friend class LODBinaryReader;
    friend class LODBinaryWriter;

    // Appends, to every bone, the part's influence groups of the bone's name as the list of
    // the level just added (an empty list when the part lacks the bone).
    void CopyPartInfluences(const std::vector<InfluenceDefinition>& influences);
    void ApplyCullMarkers();
    // The base class's chunk set becomes a second reference to level index's.
    void TakeLevelChunkSet(uint32_t index);
    void BuildLevelInfluenceStreams();
    void BuildSkeletonFromBoneTable();
    void KeepStoredMaterialName(const Material* material, const PString& requestName);
    PString StoredMaterialName(const Material* material) const;

    std::vector<float> distances_;
    uint32_t calcPoint_ = 0;
    float offset_ = 0;
    float multiplier_ = 1;
    float animationCutOff_ = 0;
    float renderCutOff_ = 0;
    float attachmentCutOff_ = 0;
    std::vector<PString> cullList_;
    std::vector<LODNamedPart> namedParts_;
    uint32_t levelCount_ = 0;
    std::vector<LODLevel> levels_;
    std::vector<LODBone> boneTable_;
    std::vector<PString> boneTableNames_;  // the part meshes' matrix numbering
    std::vector<std::unique_ptr<KodrinIndexedMeshDefinition>> partDefinitions_;
    // The name each material was requested by, without the "owner*folder*" decoration.
    std::vector<std::pair<const Material*, PString>> storedMaterialNames_;
    PString name_;
};

}  // namespace Kiv
