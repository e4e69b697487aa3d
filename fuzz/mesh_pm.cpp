// The ".pm" progressive mesh reader, through its resource type (see mesh_fuzz.h); a mesh
// that loads must have step tables whose every position lies inside its chunk.
#include "content3d/mesh/progressive_mesh_definition.h"
#include "mesh_fuzz.h"

namespace {

void CheckSteps(const Kiv::KodrinIndexedMeshDefinition& definition) {
    const auto& pm = dynamic_cast<const Kiv::KodrinProgressiveMeshDefinition&>(definition);
    for (const Kiv::ProgressiveChunkStep& chunkStep : pm.GetChunkSteps()) {
        fuzz::RequireMesh(chunkStep.chunk < pm.GetChunkCount(), "chunk steps name kept chunks");
        for (uint32_t c = 0; c < chunkStep.changeCount; ++c) {
            const Kiv::ProgressiveChange& change = pm.GetChanges().at(chunkStep.firstChange + c);
            for (uint32_t i = 0; i < change.positionCount; ++i) {
                const int32_t position = pm.GetPositions().at(change.firstPosition + i);
                fuzz::RequireMesh(position >= 0 && position < pm.GetChunkIndexCount(chunkStep.chunk),
                                  "positions lie inside their chunk");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadMeshBytes<Kiv::KodrinProgressiveMeshResource>(data, size, "pm", CheckSteps);
    return 0;
}
