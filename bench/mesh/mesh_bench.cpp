// Loading an ".im" mesh against a floor measured in the same run: a 16-chunk skinned mesh
// of 200,000 vertices (normals, one uv set, two influences per vertex) is loaded through
// its resource type (file read, chunks made by their materials, streams filled, skeleton,
// blend streams, bounds, density and box); the floor reads the same file and copies its
// blocks into flat arrays, nothing more. The summary gives the load's time as a multiple
// of the floor's (target: at most 4x). Times are CPU seconds of the measuring thread.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/run_summary.h"
#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/program_plugins.h"
#include "engine/file.h"
#include "engine/render_kernel.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "tests/content3d/mesh_file_writer.h"

namespace {

constexpr int kChunks = 16;
constexpr int kVerticesPerChunk = 12500;  // 200,000 in all
constexpr const char* kLocation = "kivmeshbench";

std::string MakeMesh() {
    meshtest::MeshSpec spec;
    spec.maxWeights = 2;
    spec.maxBones = 2;
    std::vector<meshtest::Influence> bones = {{"root", "", {}, {}}, {"arm", "root", {}, {}}};
    for (int c = 0; c < kChunks; ++c) {
        meshtest::Chnk chunk;
        chunk.geom.weightMode = 2;
        for (int i = 0; i < kVerticesPerChunk; ++i) {
            chunk.geom.positions.push_back({static_cast<float>(i % 100), static_cast<float>(i / 100),
                                            static_cast<float>(c)});
        }
        for (int i = 0; i + 2 < kVerticesPerChunk; ++i) {
            for (int k = 0; k < 3; ++k) chunk.geom.indices.push_back(static_cast<uint16_t>(i + k));
        }
        spec.chunks.push_back(chunk);
        for (meshtest::Influence& bone : bones) {
            meshtest::Group group{static_cast<uint32_t>(c), {}};
            for (int i = 0; i < kVerticesPerChunk; ++i) group.entries.push_back({static_cast<uint32_t>(i), 0.5f});
            bone.groups.push_back(group);
        }
    }
    spec.influences = bones;
    return meshtest::WriteMesh(spec);
}

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kiv-meshbench-XXXXXX").string();
        root_ = mkdtemp(pattern.data()) ? pattern : std::string();
        std::ofstream(root_ + "/mesh.im", std::ios::binary) << MakeMesh();
        Kiv::File::Subst(kLocation, root_.c_str());
    }
    ~BenchFolder() {
        Kiv::File::Subst(kLocation);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::string Path() const { return root_ + "/mesh.im"; }

private:
    std::string root_;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

void LoadRun(benchmark::State& state) {
    KivGetPlugins();
    Kiv::ResourceSystem system;
    Kiv::ResourceDatabase database{Kiv::PString(kLocation)};
    Folder();
    Kiv::RenderKernel kernel(nullptr, 1.0f);
    kernel.GetDisplay()->SetCapability(29, true);
    for (auto _ : state) {
        auto* resource = new Kiv::KodrinIndexedMeshResource(Kiv::PString("mesh.im"), &database,
                                                            Kiv::Resource::Form::kBinary);
        resource->SetRenderKernel(&kernel);
        if (!resource->Lock()) state.SkipWithError("the mesh does not load");
        resource->Unlock();
        resource->Release();
    }
    state.SetItemsProcessed(state.iterations());
}

// The floor: the file's bytes, and each chunk's blocks and the influence entries copied
// into flat arrays.
struct Flat {
    std::vector<float> positions, uvs, normals, weights;
    std::vector<uint16_t> indices;
    std::vector<uint32_t> vertices;
};

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

size_t SkipPStr(const std::vector<uint8_t>& b, size_t at) {
    const uint32_t n = U32At(b, at);
    return at + 4 + (n == 0 ? 0 : (n + 3) / 4 * 4);
}

void CopyGeometry(const std::vector<uint8_t>& b, size_t at, Flat& flat) {
    at += 12 + 8;  // header, flags, extra flags
    at += 4;       // hint value
    const uint32_t v = U32At(b, at), i = U32At(b, at + 8);
    at = SkipPStr(b, at + 16 + 4);  // counts, weight mode, chunk material name
    for (uint32_t k = 0; k < v; ++k, at += 20) {
        flat.positions.insert(flat.positions.end(), reinterpret_cast<const float*>(b.data() + at),
                              reinterpret_cast<const float*>(b.data() + at) + 3);
        flat.uvs.insert(flat.uvs.end(), reinterpret_cast<const float*>(b.data() + at + 12),
                        reinterpret_cast<const float*>(b.data() + at + 12) + 2);
    }
    const auto* indices = reinterpret_cast<const uint16_t*>(b.data() + at);
    flat.indices.insert(flat.indices.end(), indices, indices + i);
    at += 2 * size_t{i};
    const auto* normals = reinterpret_cast<const float*>(b.data() + at);
    flat.normals.insert(flat.normals.end(), normals, normals + 3 * size_t{v});
}

void CopyInfluences(const std::vector<uint8_t>& b, size_t at, Flat& flat) {
    const uint32_t count = U32At(b, at + 12);
    at += 16;
    for (uint32_t n = 0; n < count; ++n) {
        at = SkipPStr(b, SkipPStr(b, at)) + 48;
        const uint32_t groups = U32At(b, at);
        at += 4;
        for (uint32_t g = 0; g < groups; ++g) {
            const uint32_t entries = U32At(b, at + 4);
            at += 8;
            for (uint32_t e = 0; e < entries; ++e, at += 20) {
                flat.vertices.push_back(U32At(b, at));
                float weight;
                std::memcpy(&weight, b.data() + at + 4, 4);
                flat.weights.push_back(weight);
            }
        }
    }
}

void FloorRun(benchmark::State& state) {
    const std::string path = Folder().Path();
    for (auto _ : state) {
        std::vector<uint8_t> bytes(std::filesystem::file_size(path));
        std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        Flat flat;
        size_t at = 12;
        at += 8 + U32At(bytes, at + 4);  // INFO
        for (int c = 0; c < kChunks; ++c) {
            const size_t chunkEnd = at + 8 + U32At(bytes, at + 4);
            const size_t matl = at + 16;
            const size_t geom = matl + 8 + U32At(bytes, matl + 4);
            CopyGeometry(bytes, geom, flat);
            at = chunkEnd;
        }
        CopyInfluences(bytes, at, flat);
        if (flat.positions.size() != size_t{kChunks} * kVerticesPerChunk * 3) state.SkipWithError("floor misread");
        benchmark::DoNotOptimize(flat.weights.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void PrintSummary(const RunSummary& reporter) {
    const double load = reporter.CpuSeconds("mesh/load");
    const double floor = reporter.CpuSeconds("mesh/floor");
    const double multiple = floor > 0 ? load / floor : 0;
    std::printf("\nLoading time as a multiple of the floor (same file, same run)\n");
    std::printf("im/200000 %6.2fx (target at most 4.00x) %s\n", multiple, multiple <= 4.0 ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RegisterBenchmark("mesh/load", LoadRun)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("mesh/floor", FloorRun)->Unit(benchmark::kMillisecond);
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
