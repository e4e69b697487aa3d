// What the mesh tests share: a render kernel with the program's plug-ins, a resource
// database over a private folder, and loading of written mesh files either through the
// definition alone (to see its result code) or through the resource types.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/progressive_mesh_definition.h"
#include "content3d/program_plugins.h"
#include "engine/file.h"
#include "engine/render_kernel.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "engine/temp_folder.h"
#include "mesh_file_writer.h"

class MeshTest : public testing::Test {
protected:
    MeshTest() {
        KivGetPlugins();
        Kiv::File::Subst("kivmesh", temp.Root().c_str());
    }
    ~MeshTest() override {
        definition.reset();
        for (Kiv::Resource* resource : held) resource->Release();
        Kiv::File::Subst("kivmesh");
    }

    // The unlocked resource of a file written as name.
    Kiv::KodrinGeometryBaseResource* Resource(const std::string& name, const std::string& bytes) {
        const std::string folder = name.find('/') == std::string::npos ? "" : name.substr(0, name.rfind('/'));
        if (!folder.empty()) temp.MakeFolder(folder);
        temp.WriteFile(name, bytes);
        auto* resource = dynamic_cast<Kiv::KodrinGeometryBaseResource*>(database.Get(Kiv::PString(name.c_str())));
        if (resource) {
            held.push_back(resource);
            resource->SetRenderKernel(&kernel);
        }
        return resource;
    }

    // The result code of loading bytes as an ".im" definition (kept in definition).
    int LoadIm(const std::string& bytes, const std::string& name = "mesh.im",
               const Kiv::MeshLoaderSettings& settings = {}) {
        Kiv::KodrinGeometryBaseResource* resource = Resource(name, bytes);
        if (!resource) return -1;
        definition = std::make_unique<Kiv::KodrinIndexedMeshDefinition>(settings);
        const int opened = definition->OpenFile(*resource, name.c_str());
        if (opened != Kiv::RES_OK) return opened;
        return definition->LoadBinary(kernel.GetDisplay(), kernel.GetMaterialManager(), resource,
                                      name.c_str(), kernel.GetDisplay()->GetDefaultVertexColor());
    }
    int LoadIm(const meshtest::MeshSpec& spec) { return LoadIm(meshtest::WriteMesh(spec)); }

    // The same for a ".pm" definition.
    int LoadPm(const std::string& bytes, const std::string& name = "mesh.pm") {
        Kiv::KodrinGeometryBaseResource* resource = Resource(name, bytes);
        if (!resource) return -1;
        auto progressive = std::make_unique<Kiv::KodrinProgressiveMeshDefinition>(Kiv::MeshLoaderSettings{});
        const int result = progressive->LoadBinary(kernel.GetDisplay(), kernel.GetMaterialManager(), resource,
                                                   name.c_str(), 0);
        definition = std::move(progressive);
        return result;
    }
    Kiv::KodrinProgressiveMeshDefinition* Progressive() const {
        return dynamic_cast<Kiv::KodrinProgressiveMeshDefinition*>(definition.get());
    }

    Kiv::ResourceSystem system;
    TempFolder temp;
    Kiv::ResourceDatabase database{Kiv::PString("kivmesh")};
    Kiv::RenderKernel kernel{nullptr, 1.0f};
    std::unique_ptr<Kiv::KodrinIndexedMeshDefinition> definition;
    std::vector<Kiv::Resource*> held;
};

// A mesh of one chunk of one triangle.
inline meshtest::MeshSpec OneTriangle() {
    meshtest::MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(1));
    return spec;
}
