// The "lm.txt" LOD mesh text, through the LOD resource's text form. The scratch folder
// holds two text part meshes ("a.imtxt" and "b.imtxt") that the input may name; a mesh
// that loads must have a distance level and every level's chunks must exist, and its
// instance is drawn, hit and copied.
#include "content3d/mesh/lod_mesh_resource.h"
#include "mesh_fuzz.h"

namespace {

constexpr const char* kPart =
    "version 1\n"
    "chunk {\n"
    "  vertex 0 0 0\n  vertex 1 0 0\n  vertex 0 1 0\n"
    "  triangle 0 1 2\n"
    "}\n"
    "influence {\n  name root\n  group {\n    chunk 0\n    entry 1 1 0 0 0\n  }\n}\n"
    "attachment {\n  name a.lamp:Cull\n}\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::MeshWorld world;
    static const bool parts = [] {
        std::ofstream(world.folder + "/a.imtxt") << kPart;
        std::ofstream(world.folder + "/b.imtxt") << kPart;
        return true;
    }();
    (void)parts;
    {
        std::ofstream out(world.folder + "/m.lm.txt", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto* resource = new Kiv::KodrinIndexedMeshLODResource(Kiv::PString("m.lm"), &world.database,
                                                           Kiv::Resource::Form::kText);
    resource->SetRenderKernel(&world.kernel);
    if (resource->Lock()) {
        const Kiv::KodrinIndexedMeshLODDefinition* lod = resource->GetLODDefinition();
        fuzz::RequireMesh(lod != nullptr && !lod->GetDistances().empty(), "a loaded LOD mesh has a distance level");
        for (const Kiv::LODLevel& level : lod->GetLevels()) {
            fuzz::RequireMesh(level.chunks.size() == level.chunkCount, "chunk counts match the chunks");
        }
        fuzz::ExerciseInstance(*resource, world.kernel);
        resource->Unlock();
    } else {
        fuzz::RequireMesh(resource->GetDefinition() == nullptr, "a failed load keeps no definition");
    }
    resource->Release();
    return 0;
}
