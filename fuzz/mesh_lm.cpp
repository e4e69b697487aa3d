// The ".lm" LOD mesh reader, through its resource type (see mesh_fuzz.h); a mesh that loads
// must keep every level's indices inside their chunks and every influence group inside
// its level's chunks, and must write back.
#include "content3d/mesh/lod_mesh_resource.h"
#include "mesh_fuzz.h"

namespace {

void CheckLevels(const Kiv::KodrinIndexedMeshDefinition& definition) {
    const auto& lod = dynamic_cast<const Kiv::KodrinIndexedMeshLODDefinition&>(definition);
    fuzz::RequireMesh(!lod.GetDistances().empty(), "a loaded LOD mesh has a distance level");
    for (const Kiv::LODLevel& level : lod.GetLevels()) {
        fuzz::RequireMesh(level.chunks.size() == level.chunkCount, "chunk counts match the chunks");
        for (const Kiv::GeometryChunk* chunk : level.chunks) {
            for (int i = 0; i < chunk->GetIndexCount(); ++i) {
                fuzz::RequireMesh(chunk->GetIndices()[i] < chunk->GetVertexCount(), "indices stay inside the chunk");
            }
        }
    }
    for (const Kiv::LODBone& bone : lod.GetBoneTable()) {
        for (size_t l = 0; l < bone.levelInfluences.size(); ++l) {
            for (const Kiv::InfluenceGroup& group : bone.levelInfluences[l].groups) {
                fuzz::RequireMesh(group.chunkIndex < lod.GetLevels().at(l).chunkCount, "groups name kept chunks");
            }
        }
    }
    std::string written;
    fuzz::RequireMesh(lod.Write(written) == 0, "a loaded LOD mesh writes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadMeshBytes<Kiv::KodrinIndexedMeshLODResource>(data, size, "lm", CheckLevels);
    return 0;
}
