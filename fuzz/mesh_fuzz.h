// Shared by the mesh-file fuzz targets: the bytes are written to a scratch folder that a
// resource database serves, a mesh resource of that type is locked with a render kernel
// whose display skins on its own, and a mesh that loads must keep every index inside its
// chunk and every influence group inside the kept chunks. A mesh that loads is also made an
// instance, drawn for a frame, hit by a ray and copied.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/indexed_mesh_instance.h"
#include "content3d/program_plugins.h"
#include "engine/display.h"
#include "engine/file.h"
#include "engine/render_kernel.h"
#include "engine/resource_database.h"
#include "engine/view_point.h"
#include "engine/resource_system.h"

namespace fuzz {

inline void RequireMesh(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

struct MeshWorld {
    MeshWorld() {
        KivGetPlugins();
        folder = "/tmp/kiv-fuzz-mesh-" + std::to_string(getpid());
        std::filesystem::create_directories(folder);
        Kiv::File::Subst("fuzzmesh", folder.c_str());
        kernel.GetDisplay()->SetCapability(29, true);
    }
    std::string folder;
    Kiv::ResourceSystem system;
    Kiv::ResourceDatabase database{Kiv::PString("fuzzmesh")};
    Kiv::RenderKernel kernel{nullptr, 1.0f};
};

inline void CheckLoadedMesh(const Kiv::KodrinIndexedMeshDefinition& definition) {
    for (uint32_t c = 0; c < definition.GetChunkCount(); ++c) {
        const Kiv::GeometryChunk* chunk = definition.GetChunk(c);
        RequireMesh(chunk != nullptr, "every kept chunk exists");
        for (int i = 0; i < chunk->GetIndexCount(); ++i) {
            RequireMesh(chunk->GetIndices()[i] < chunk->GetVertexCount(), "indices stay inside the chunk");
        }
    }
    for (const Kiv::InfluenceDefinition& influence : definition.GetInfluences()) {
        for (const Kiv::InfluenceGroup& group : influence.groups) {
            RequireMesh(group.chunkIndex < definition.GetChunkCount(), "groups name kept chunks");
        }
    }
    RequireMesh(definition.CalculateDataSize() >= 252, "the data size counts the definition");
}

// An instance of a loaded mesh drawn for a frame, hit by a ray, copied and let go.
inline void ExerciseInstance(Kiv::KodrinGeometryBaseResource& resource, Kiv::RenderKernel& kernel) {
    const std::unique_ptr<Kiv::KodrinIndexedMeshInstance> instance(resource.CreateMeshInstance());
    if (!instance) return;
    Kiv::Display& display = *kernel.GetDisplay();
    display.BeginFrame();
    Kiv::Camera camera;
    camera.SetPosition({0, 0, 10});
    Kiv::ViewPoint viewpoint(&camera, display.GetFrameNumber());
    instance->Cull(viewpoint, Kiv::Matrix4());
    instance->Render(display, nullptr, Kiv::Matrix4());
    display.EndFrame();
    float best = 1e30f;
    Kiv::TriangleFace face;
    instance->TestCollisionGeometry({0, 0, 10}, {0, 0, -1}, best, face);
    instance->GetFaceCount();
    const std::unique_ptr<Kiv::Particle> copy(instance->CreateInstance());
}

// Loads the bytes as a mesh resource T named "m.<extension>"; check, when given, looks
// further at a definition that loaded.
template <typename T>
void LoadMeshBytes(const uint8_t* data, size_t size, const char* extension,
                   void (*check)(const Kiv::KodrinIndexedMeshDefinition&) = nullptr) {
    static MeshWorld world;
    const std::string name = std::string("m.") + extension;
    {
        std::ofstream out(world.folder + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto* resource = new T(Kiv::PString(name.c_str()), &world.database, Kiv::Resource::Form::kBinary);
    resource->SetRenderKernel(&world.kernel);
    if (resource->Lock()) {
        RequireMesh(resource->GetDefinition() != nullptr, "a loaded mesh has its definition");
        CheckLoadedMesh(*resource->GetDefinition());
        if (check) check(*resource->GetDefinition());
        ExerciseInstance(*resource, world.kernel);
        resource->Unlock();
    } else {
        RequireMesh(resource->GetDefinition() == nullptr, "a failed load keeps no definition");
    }
    resource->Release();
}

}  // namespace fuzz
