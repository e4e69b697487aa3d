// Progressive meshes: the PMIN tables linked by running sums, a file without them, the
// version fault showing through the end check, tables that do not add up or point outside
// the chunks, software skinning whatever the display offers, and the bare file name.
#include <gtest/gtest.h>

#include <functional>

#include "mesh_test_support.h"

namespace {

using meshtest::MeshSpec;

// Two chunks of two triangles; step 0 changes chunk 0, step 1 both chunks.
MeshSpec WithSteps() {
    MeshSpec spec;
    spec.chunks = {meshtest::Triangles(2), meshtest::Triangles(2)};
    meshtest::Pmin pmin;
    pmin.positions = {0, 5, 1, 2, 3};
    pmin.changes = {{3, 1, 0xFFFF0003u, 2}, {0, 0, 1, 1}, {3, 1, 2, 2}};
    pmin.chunkSteps = {{0, 1}, {0, 1}, {1, 1}};
    pmin.steps = {1, 2};
    spec.pmin = pmin;
    return spec;
}

class ProgressiveMeshTest : public MeshTest {};

TEST_F(ProgressiveMeshTest, StepTablesAreReadAndLinked) {
    ASSERT_EQ(LoadPm(meshtest::WriteMesh(WithSteps())), Kiv::RES_OK);
    const Kiv::KodrinProgressiveMeshDefinition* pm = Progressive();
    ASSERT_EQ(pm->GetSteps().size(), 2u);
    EXPECT_EQ(pm->GetSteps()[1].firstChunkStep, 1u);
    EXPECT_EQ(pm->GetChunkSteps()[2].firstChange, 2u);
    EXPECT_EQ(pm->GetChanges()[2].firstPosition, 3u);
    EXPECT_EQ(pm->GetChanges()[0].indexDelta, 3);  // the low 16 bits only
    EXPECT_EQ(pm->GetPositions()[1], 5);
    EXPECT_EQ(pm->GetFaceCountAtLoad(), 4u);
    EXPECT_EQ(pm->GetFileName().View(), "mesh.pm");
    EXPECT_EQ(pm->GetTextureDensity(), 0.0f);
}

TEST_F(ProgressiveMeshTest, AFileWithoutStepsLoadsLikeAStaticMesh) {
    MeshSpec spec = WithSteps();
    spec.pmin.reset();
    ASSERT_EQ(LoadPm(meshtest::WriteMesh(spec)), Kiv::RES_OK);
    EXPECT_TRUE(Progressive()->GetSteps().empty());
    EXPECT_EQ(Progressive()->GetChunkCount(), 2u);
}

TEST_F(ProgressiveMeshTest, StepTablesThatDoNotAddUpOrPointOutsideFail) {
    const struct {
        const char* what;
        std::function<void(meshtest::Pmin&)> change;
        int expected;
    } cases[] = {
        {"version 100 fails through the end check", [](meshtest::Pmin& p) { p.version = 100; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"steps own more chunk steps than exist", [](meshtest::Pmin& p) { p.steps = {1, 3}; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"chunk steps own fewer changes", [](meshtest::Pmin& p) { p.chunkSteps[2][1] = 0; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"changes own more positions", [](meshtest::Pmin& p) { p.changes[2][3] = 9; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"chunk index past the chunks", [](meshtest::Pmin& p) { p.chunkSteps[2][0] = 2; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"position past the chunk's indices", [](meshtest::Pmin& p) { p.positions[1] = 6; },
         Kiv::RES_FILE_FORMAT_ERROR},
        {"negative position", [](meshtest::Pmin& p) { p.positions[0] = -1; }, Kiv::RES_FILE_FORMAT_ERROR},
        {"last position of a chunk", [](meshtest::Pmin& p) { p.positions[4] = 5; }, Kiv::RES_OK},
    };
    for (const auto& c : cases) {
        MeshSpec spec = WithSteps();
        c.change(*spec.pmin);
        EXPECT_EQ(LoadPm(meshtest::WriteMesh(spec)), c.expected) << c.what;
    }
}

TEST_F(ProgressiveMeshTest, HugeStepCountsFailWithoutReading) {
    std::string bytes = meshtest::WriteMesh(WithSteps());
    const size_t counts = bytes.find("PMIN") + 12;
    std::memcpy(&bytes[counts], "\xFF\xFF\xFF\xFF", 4);
    EXPECT_EQ(LoadPm(bytes), Kiv::RES_FILE_FORMAT_ERROR);
}

TEST_F(ProgressiveMeshTest, SkinnedProgressiveMeshesAreSkinnedInSoftware) {
    kernel.GetDisplay()->SetCapability(29, true);
    MeshSpec spec = WithSteps();
    spec.maxWeights = 2;
    spec.maxBones = 2;
    spec.chunks[0].geom.weightMode = 2;
    spec.influences = std::vector<meshtest::Influence>{{"root", "", {}, {{0, {{0, 1.0f}}}}}};
    ASSERT_EQ(LoadPm(meshtest::WriteMesh(spec)), Kiv::RES_OK);
    EXPECT_FALSE(Progressive()->IsHardwareSkinning());
    EXPECT_FALSE(Progressive()->IsDisplaySkinningCapable());
    EXPECT_NE(Progressive()->GetChunk(0)->GetHint().flags & Kiv::ChunkHint::kSoftwareSkinning, 0);
    ASSERT_NE(Progressive()->GetSkeletonRoot(), nullptr);
}

TEST_F(ProgressiveMeshTest, AMissingFileCannotBeOpened) {
    Kiv::KodrinGeometryBaseResource* resource = Resource("present.pm", meshtest::WriteMesh(WithSteps()));
    Kiv::KodrinProgressiveMeshDefinition pm{Kiv::MeshLoaderSettings{}};
    EXPECT_EQ(pm.LoadBinary(kernel.GetDisplay(), kernel.GetMaterialManager(), resource, "absent.pm", 0),
              Kiv::RES_FILE_OPEN_ERROR);
    EXPECT_EQ(pm.LoadBinary(kernel.GetDisplay(), nullptr, resource, "present.pm", 0),
              Kiv::RES_NO_MATERIAL_MANAGER);
}

}  // namespace
