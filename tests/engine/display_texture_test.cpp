// Texture objects of the null display (a surface once, uploads of the right size only, the
// failure switches, deletion after the display is gone) and immediate drawing, whose
// vertices of format 19 the display keeps, as many as the primitives need.
#include "engine/display_texture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/bitmap.h"
#include "engine/display.h"

namespace {

std::unique_ptr<Kiv::Bitmap> Filled(uint32_t width, uint32_t height, uint8_t value) {
    auto bitmap = Kiv::Bitmap::Create(width, height, Kiv::Bitmap::kFormatBGRA);
    std::fill(bitmap->GetPixels(), bitmap->GetPixels() + bitmap->GetByteCount(), value);
    return bitmap;
}

TEST(DisplayTexture, MakesOneSurfaceAndTakesLevelsOfItsSize) {
    const int live = Kiv::DisplayTexture::GetLiveCount();
    auto display = std::make_unique<Kiv::Display>();
    std::unique_ptr<Kiv::DisplayTexture> texture = display->CreateDisplayTexture();
    EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), live + 1);
    EXPECT_FALSE(texture->Upload(0, *Filled(8, 4, 1), 3)) << "no surface yet";
    EXPECT_FALSE(texture->CreateSurface(0, 4, 3, {}));
    EXPECT_FALSE(texture->CreateSurface(8, Kiv::Bitmap::kMaxSide + 1, 3, {}));
    const Kiv::DisplayTexture::CreationArgs args = {0, 1, 0, 0, 1, 1, 0, 0, 0, 2, 2};
    ASSERT_TRUE(texture->CreateSurface(8, 4, 3, args));
    EXPECT_FALSE(texture->CreateSurface(8, 4, 3, args)) << "a second surface";
    EXPECT_EQ(texture->GetCreationArgs(), args);
    EXPECT_EQ(texture->GetFormat(), 3);

    struct Case {
        uint32_t level, width, height;
        bool taken;
    };
    const Case cases[] = {
        {0, 8, 4, true}, {0, 4, 4, false}, {1, 4, 2, true},
        {3, 1, 1, true}, {2, 2, 2, false}, {4, 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        EXPECT_EQ(texture->Upload(c.level, *Filled(c.width, c.height, 7), 3), c.taken);
    }
    ASSERT_NE(texture->GetLevel(0), nullptr);
    EXPECT_EQ(texture->GetLevel(0)->GetPixels()[5], 7);
    EXPECT_EQ(texture->GetLevel(2), nullptr);
    display.reset();
    texture.reset();
    EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), live);
}

TEST(DisplayTexture, FailureSwitchesAndTheCallLog) {
    Kiv::Display display;
    display.SetRecording(true);
    auto texture = display.CreateDisplayTexture();
    display.SetTextureSurfaceFailure(true);
    EXPECT_FALSE(texture->CreateSurface(2, 2, 1, {}));
    display.SetTextureSurfaceFailure(false);
    ASSERT_TRUE(texture->CreateSurface(2, 2, 1, {}));
    display.SetTextureUploadFailure(true);
    EXPECT_FALSE(texture->Upload(0, *Filled(2, 2, 0), 1));
    display.SetTextureUploadFailure(false);
    EXPECT_TRUE(texture->Upload(0, *Filled(2, 2, 0), 1));
    display.BindDisplayTexture(0, texture.get());
    EXPECT_EQ(display.GetBoundDisplayTexture(0), texture.get());
    const std::vector<std::string> expected = {
        "CreateDisplayTexture 1", "CreateSurface 1 2 2 1 0 0 0 0 0 0 0 0 0 0 0",
        "CreateSurface 1 2 2 1 0 0 0 0 0 0 0 0 0 0 0", "UploadTexture 1 0 1",
        "UploadTexture 1 0 1", "BindDisplayTexture 0 1"};
    EXPECT_EQ(display.GetCallLog(), expected);
}

TEST(Display, ImmediateDrawingKeepsTheVerticesItDrew) {
    struct Case {
        int type, count;
        size_t vertices;
    };
    const Case cases[] = {{0, 4, 4}, {1, 3, 6}, {2, 3, 4}, {3, 2, 6},
                          {4, 3, 5}, {5, 3, 5}, {3, 0, 0}, {9, 2, 0}};
    std::vector<Kiv::TransformedVertex> source(8);
    for (size_t i = 0; i < source.size(); ++i) source[i] = {float(i), 1, 0.5f, 0xFFu, 0, 1};
    Kiv::Display display;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        display.DrawImmediate(c.type, c.count, Kiv::Display::kTransformedVertexFormat,
                              source.data());
        const std::vector<Kiv::TransformedVertex> expected(source.begin(),
                                                           source.begin() + long(c.vertices));
        EXPECT_EQ(display.GetLastImmediateVertices(), expected);
    }
    display.DrawImmediate(3, 2, 18, source.data());
    EXPECT_TRUE(display.GetLastImmediateVertices().empty()) << "another format is not kept";
}

TEST(Display, FramesWithATimeAndTheView) {
    Kiv::Display display;
    display.SetRecording(true);
    EXPECT_FALSE(display.IsInFrame());
    display.BeginFrame(0.5f);
    EXPECT_TRUE(display.IsInFrame());
    display.EndFrame(0.5f);
    EXPECT_FALSE(display.IsInFrame());
    int width = 0, height = 0;
    display.GetTargetSize(width, height);
    EXPECT_EQ(display.GetViewport(), (Kiv::ViewportRect{0, 0, width, height}));
    display.SetTransform(Kiv::Display::kProjectionTransform, Kiv::Matrix4::Translation({1, 0, 0}));
    display.ResetTransform();
    EXPECT_EQ(display.GetTransform(Kiv::Display::kProjectionTransform), Kiv::Matrix4());
    const std::vector<std::string> expected = {"BeginFrame 0.5", "EndFrame 0.5", "SetTransform 1",
                                               "ResetTransform"};
    EXPECT_EQ(display.GetCallLog(), expected);
}

}  // namespace
