// The engine's culling support: particles marked visited per frame with their world matrix
// and bounding sphere, the viewpoint's mip choice, chunk copies and drawn counts, texture
// uploads, reference point names and the detail dispatch.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/bitmap.h"
#include "engine/display.h"
#include "engine/geometry_chunk.h"
#include "engine/reference_point.h"
#include "engine/scalable_detail.h"
#include "engine/texture.h"
#include "engine/view_point.h"

namespace {

using Kiv::Vector3;

TEST(CullSupport, CullMarksTheFrameAndKeepsTheMatrix) {
    Kiv::Particle particle;
    Kiv::ViewPoint viewpoint(nullptr, 7);
    EXPECT_FALSE(particle.WasVisited(7));
    particle.Cull(viewpoint, Kiv::Matrix4::Translation({1, 2, 3}));
    EXPECT_TRUE(particle.WasVisited(7));
    EXPECT_FALSE(particle.WasVisited(8));
    EXPECT_EQ(particle.GetWorldMatrix().GetTranslation(), (Vector3{1, 2, 3}));
    particle.SetLastCulledFrame(0);
    EXPECT_FALSE(particle.WasVisited(0));  // frame 0 precedes every frame
    EXPECT_FALSE(particle.WasVisited(7));
}

TEST(CullSupport, BoundingSphereFollowsTheWorldMatrix) {
    Kiv::Particle particle;
    const Vector3 corners[] = {{0, 0, 0}, {2, 4, 4}};
    particle.SetBoundingVolume(Kiv::OrientedBox::Fit(corners));
    particle.SetWorldMatrix(Kiv::Matrix4::Translation({10, 0, 0}));
    const Kiv::BoundingSphere sphere = particle.GetBoundingSphere();
    EXPECT_EQ(sphere.centre, (Vector3{11, 2, 2}));
    EXPECT_FLOAT_EQ(sphere.radius, 3.0f);
}

TEST(CullSupport, DisplayCountsFrames) {
    Kiv::Display display;
    EXPECT_EQ(display.GetFrameNumber(), 0u);
    display.BeginFrame();
    display.EndFrame();
    display.BeginFrame(0.5f);
    EXPECT_EQ(display.GetFrameNumber(), 2u);
}

TEST(CullSupport, WantedMipLevels) {
    Kiv::Camera camera;
    camera.SetPosition({100, 0, 0});
    const Kiv::ViewPoint viewpoint(&camera, 1);
    const struct {
        float radius;
        float density;
        int level;
    } cases[] = {
        {200, 1, 0},   // camera inside the sphere
        {0, 0, 0},     // no density
        {0, -1, 0},
        {36, 1, 6},    // 64 to the near side
        {0, 0.25f, 4}, // 25
        {99.5f, 1, 0}, // half a unit away
    };
    for (const auto& c : cases) {
        EXPECT_EQ(viewpoint.CalcWantedMipLevelsForCull({{0, 0, 0}, c.radius}, c.density), c.level)
            << c.radius << " " << c.density;
    }
}

TEST(CullSupport, ChunkCloneIsPrivateAndDrawnCountsStayInsideTheArrays) {
    Kiv::GeometryChunk chunk(4, 2, 6, 0, 1, Kiv::StandardChunkHint(), Kiv::PackedVertexPNT::Items());
    chunk.GetIndices()[0] = 3;
    Kiv::GeometryChunk* copy = chunk.Clone();
    EXPECT_EQ(copy->ReferenceCountValue(), 1);
    copy->GetIndices()[0] = 1;
    EXPECT_EQ(chunk.GetIndices()[0], 3);
    EXPECT_EQ(copy->GetStride(), chunk.GetStride());
    copy->SetDrawnCounts(9, -1);
    EXPECT_EQ(copy->GetVertexCount(), 4);
    EXPECT_EQ(copy->GetPrimitiveCount(), 0);
    copy->SetDrawnCounts(2, 1);
    EXPECT_EQ(copy->GetVertexCount(), 2);
    EXPECT_EQ(copy->GetVertexCapacity(), 4);
    copy->ReleaseReference();
}

TEST(CullSupport, TextureUploadKeepsWhatWasWritten) {
    Kiv::Texture texture(nullptr, nullptr, Kiv::PString("t"));
    auto bitmap = Kiv::Bitmap::Create(4, 2, Kiv::Bitmap::kFormatBGRA);
    ASSERT_TRUE(bitmap);
    texture.UploadBitmap(1, 2, *bitmap, 3);
    ASSERT_EQ(texture.GetUploads().size(), 1u);
    EXPECT_EQ(texture.GetUploads()[0].format, 3);
    EXPECT_EQ(texture.GetUploads()[0].width, 4u);
    EXPECT_TRUE(texture.IsLoaded());
}

TEST(CullSupport, ReferencePointNames) {
    const auto [kind, rest] = Kiv::ReferencePoint::GetSubNames(Kiv::PString("p.front.left"));
    EXPECT_EQ(kind, Kiv::PString("p"));
    EXPECT_EQ(rest, Kiv::PString("front.left"));
    const Kiv::ReferencePoint point(kind, rest, {1, 2, 3}, {0, 0, 0, 1});
    EXPECT_EQ(point.GetName(), Kiv::PString("p.front.left"));
    const Kiv::ReferencePoint bare(Kiv::PString("P"), Kiv::PString(), {}, {0, 0, 0, 1});
    EXPECT_EQ(bare.GetName(), Kiv::PString("P"));
}

class RecordingDetail : public Kiv::ScalableDetail {
public:
    int raised = 0;
    int lowered = 0;

private:
    void RaiseDetail(uint32_t) override { ++raised; }
    void LowerDetail(uint32_t) override { ++lowered; }
};

TEST(CullSupport, DetailCallsRaiseOrLowerOnlyWhenTheTargetDiffers) {
    RecordingDetail detail;
    detail.Init(100);
    detail.SetDetail(100);
    detail.SetDetail(150);
    detail.SetDetail(20);
    EXPECT_EQ(detail.raised, 1);
    EXPECT_EQ(detail.lowered, 1);
    EXPECT_EQ(detail.GetCurrentFaceCount(), 100u);
}

}  // namespace
