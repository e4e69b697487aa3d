// Reading "lm.txt": one part mesh file per level ("mesh" items whose value is a distance,
// then items whose value is a key name), and the LOD tuning values. Each part is loaded as
// an indexed mesh definition; the levels share its chunks and materials, and the parts
// are kept until load completion.
#include <cmath>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/lod_mesh_definition.h"
#include "engine/ascii.h"
#include "engine/display.h"

namespace Kiv {

namespace {

bool IsDistance(std::string_view value) {
    return value.find_first_not_of("1234567890.") == std::string_view::npos;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = Ascii::ToLower(c);
    return lower;
}

bool HasImtxtExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot != std::string_view::npos && Lower(name.substr(dot + 1)) == "imtxt";
}

float DiagonalSquared(const Vector3& min, const Vector3& max) {
    const float x = max.x - min.x, y = max.y - min.y, z = max.z - min.z;
    return x * x + y * y + z * z;
}

}  // namespace

class LODTextReader {
public:
    LODTextReader(KodrinIndexedMeshLODDefinition& lod, Display* display, MaterialManager* manager,
                  KodrinGeometryBaseResource* resource, uint32_t colour)
        : lod_(lod), display_(display), manager_(manager), resource_(resource), colour_(colour) {}

    int Read(const ConfigData& root);
    void Finish(const ConfigData& root, const char* path);

private:
    int ReadDistanceRun(const ConfigData& root, size_t& next);
    int ReadNamedRun(const ConfigData& root, size_t next);
    int LoadPart(const PString& file, bool first);
    void TakeFirstPart(const KodrinIndexedMeshDefinition& part);
    void AppendLevel(const KodrinIndexedMeshDefinition& part);

    KodrinIndexedMeshLODDefinition& lod_;
    Display* display_;
    MaterialManager* manager_;
    KodrinGeometryBaseResource* resource_;
    uint32_t colour_;
    std::vector<PString> loadedFiles_;
};

int KodrinIndexedMeshLODDefinition::ParseText(Display* display, MaterialManager* manager,
                                              KodrinGeometryBaseResource* resource, std::string_view text,
                                              const char* path, uint32_t defaultColour) {
    displaySkinningCapable_ = display && display->HasCapability(29);
    ConfigParser parser;
    const int parsed = parser.ParseText(text);
    if (parsed == ConfigParser::kVersion) return RES_FILE_VERSION_ERROR;
    if (parsed != ConfigParser::kOk || !parser.GetRoot()) return RES_FILE_OPEN_ERROR;
    const double version = static_cast<float>(parser.GetVersion());
    if (std::trunc(version * 100.0) != 100.0) return RES_FILE_VERSION_ERROR;
    LODTextReader reader(*this, display, manager, resource, defaultColour);
    const int result = reader.Read(*parser.GetRoot());
    if (result == RES_OK) reader.Finish(*parser.GetRoot(), path);
    return result;
}

int LODTextReader::Read(const ConfigData& root) {
    const size_t count = root.Count("mesh");
    if (count == 0) return RES_FILE_FORMAT_ERROR;
    lod_.levels_.reserve(count);
    lod_.namedParts_.reserve(count);
    size_t next = 0;
    const int result = ReadDistanceRun(root, next);
    if (result != RES_OK) return result;
    if (next == 0) return RES_FILE_FORMAT_ERROR;
    return ReadNamedRun(root, next);
}

int LODTextReader::ReadDistanceRun(const ConfigData& root, size_t& next) {
    const size_t count = root.Count("mesh");
    for (; next < count; ++next) {
        const ConfigData& item = root.Get("mesh", next);
        if (!IsDistance(item.AsText())) break;
        const float distance = item.AsFloat(0);
        const ConfigData& name = item.Get("name");
        if (name.IsMissing()) return RES_FILE_FORMAT_ERROR;
        if (next > 0 && !(lod_.distances_.back() < distance)) return RES_FILE_FORMAT_ERROR;
        const int result = LoadPart(name.AsPString(), next == 0);
        if (result != RES_OK) return result;
        loadedFiles_.push_back(name.AsPString());
        lod_.distances_.push_back(distance);
    }
    return RES_OK;
}

int LODTextReader::ReadNamedRun(const ConfigData& root, size_t next) {
    const size_t count = root.Count("mesh");
    for (; next < count; ++next) {
        const ConfigData& item = root.Get("mesh", next);
        const PString key(Lower(item.AsText()));
        if (IsDistance(key.View())) return RES_FILE_FORMAT_ERROR;
        for (const LODNamedPart& part : lod_.namedParts_) {
            if (part.key == key) return RES_FILE_FORMAT_ERROR;
        }
        const bool animated = item.Get("animated").AsBool(false);
        const ConfigData& name = item.Get("name");
        if (name.IsMissing()) return RES_FILE_FORMAT_ERROR;
        const PString file = name.AsPString();
        uint32_t level = 0;
        while (level < loadedFiles_.size() && !(loadedFiles_[level] == file)) ++level;
        if (level == loadedFiles_.size()) {
            const int result = LoadPart(file, false);
            if (result != RES_OK) return result;
            loadedFiles_.push_back(file);
            level = static_cast<uint32_t>(lod_.levels_.size() - 1);
        }
        lod_.namedParts_.push_back({key, level, animated});
    }
    return RES_OK;
}

int LODTextReader::LoadPart(const PString& file, bool first) {
    auto part = std::make_unique<KodrinIndexedMeshDefinition>(lod_.GetLoaderSettings());
    if (!first) part->SetSharedBoneTable(&lod_.boneTableNames_);
    if (!resource_) return RES_FILE_OPEN_ERROR;
    const PString converted = resource_->ConvertResourceName(file.View());
    int result = RES_OK;
    if (HasImtxtExtension(converted.View())) {
        result = part->LoadText(display_, manager_, resource_, converted.c_str(), colour_);
    } else {
        result = part->OpenFile(*resource_, converted.c_str());
        if (result == RES_OK) result = part->LoadBinary(display_, manager_, resource_, converted.c_str(), colour_);
    }
    if (result != RES_OK) return result;
    if (first) {
        TakeFirstPart(*part);
    } else if (part->GetAttachments().size() != lod_.attachments_.size() ||
               part->GetInfluences().size() != lod_.influences_.size()) {
        return RES_FILE_FORMAT_ERROR;
    }
    AppendLevel(*part);
    lod_.partDefinitions_.push_back(std::move(part));
    return RES_OK;
}

void LODTextReader::TakeFirstPart(const KodrinIndexedMeshDefinition& part) {
    lod_.position_ = part.GetPosition();
    lod_.orientation_ = part.GetOrientation();
    lod_.boundsMin_ = part.GetBoundsMin();
    lod_.boundsMax_ = part.GetBoundsMax();
    lod_.orientedBox_ = part.GetOrientedBox();
    lod_.attachments_ = part.GetAttachments();
    if (part.GetSkeletonRoot()) lod_.skeletonRoot_ = part.GetSkeletonRoot()->CloneTree();
    for (const InfluenceDefinition& influence : part.GetInfluences()) {
        InfluenceDefinition record = influence;
        record.groups.clear();
        lod_.influences_.push_back(std::move(record));
        LODBone bone;
        bone.name = std::string(influence.name.View());
        bone.parent = std::string(influence.parentName.View());
        bone.position = influence.bindPosition;
        bone.rotation = influence.bindRotation;
        lod_.boneTable_.push_back(std::move(bone));
        lod_.boneTableNames_.push_back(influence.name);
    }
}

void LODTextReader::AppendLevel(const KodrinIndexedMeshDefinition& part) {
    LODLevel& level = lod_.levels_.emplace_back();
    level.chunkCount = part.GetChunkCount();
    level.vertexCount = part.GetVertexTotal();
    level.faceCount = part.GetFaceTotal();
    level.hardwareSkinned = part.IsHardwareSkinning();
    for (uint32_t i = 0; i < part.GetChunkCount(); ++i) {
        level.chunks.push_back(part.GetChunk(i));
        level.chunks.back()->AddReference();
        level.materials.push_back(part.GetMaterial(i));
        level.materials.back()->AddReference();
        level.materialNames.push_back(part.GetChunkMaterialName(i));
    }
    if (DiagonalSquared(part.GetBoundsMin(), part.GetBoundsMax()) >
        DiagonalSquared(lod_.boundsMin_, lod_.boundsMax_)) {
        lod_.boundsMin_ = part.GetBoundsMin();
        lod_.boundsMax_ = part.GetBoundsMax();
    }
    if (!lod_.boneTable_.empty()) lod_.CopyPartInfluences(part.GetInfluences());
    for (const MeshMaterialEntry* entry : part.GetMaterialEntries()) {
        lod_.KeepStoredMaterialName(entry->material, entry->requestName);
    }
}

void LODTextReader::Finish(const ConfigData& root, const char* path) {
    lod_.name_ = PString(path);
    lod_.levelCount_ = static_cast<uint32_t>(lod_.levels_.size());
    lod_.offset_ = root.Get("offset").AsFloat(0.0f);
    lod_.multiplier_ = root.Get("multiplier").AsFloat(1.0f);
    lod_.animationCutOff_ = root.Get("animationCutOff").AsFloat(0.0f);
    lod_.renderCutOff_ = root.Get("renderCutOff").AsFloat(0.0f);
    lod_.attachmentCutOff_ = root.Get("attachmentCutOff").AsFloat(0.0f);
    const std::string calcPoint = Lower(root.Get("calcPoint").AsText());
    lod_.calcPoint_ = calcPoint == "near" ? 1 : calcPoint == "far" ? 2 : 0;
    lod_.TakeLevelChunkSet(static_cast<uint32_t>(lod_.distances_.size() - 1));
    lod_.ApplyCullMarkers();
}

}  // namespace Kiv
