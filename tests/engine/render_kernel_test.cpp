// Kiv::RenderKernel: the renderer the OS's options choose, the failure switch that makes a
// chosen renderer fail, and the refusal of a missing or unready OS.
#include "engine/render_kernel.h"

#include <gtest/gtest.h>

#include "engine/os.h"

namespace {

using Renderer = Kiv::RenderKernel::Renderer;

class RenderKernelTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = Kiv::RenderKernel::GetFailure(); }
    void TearDown() override { Kiv::RenderKernel::SetFailure(previous_); }

private:
    std::string previous_;
};

TEST_F(RenderKernelTest, OptionsAndTheFailureSwitchDecide) {
    const struct {
        const char* options;
        const char* failure;
        Renderer renderer;  // kNone: Init fails
    } cases[] = {
        {"-render=OpenGL -hidewindow -LogFile=/dev/null", "", Renderer::kOpenGL},
        {"-hidewindow", "", Renderer::kOpenGL},
        {"-render=directx9", "", Renderer::kDirectX9},
        {"-render=Glide", "", Renderer::kNone},
        {"-NullRender -LogStdOut", "", Renderer::kNull},
        {"-render=OpenGL -NullRender", "", Renderer::kNull},
        {"-render=OpenGL", "opengl", Renderer::kNone},
        {"-render=OpenGL -NullRender", "OpenGL", Renderer::kNull},
        {"-render=DirectX9", "opengl", Renderer::kDirectX9},
        {"-render=OpenGL", "all", Renderer::kNone},
        {"-NullRender", "ALL", Renderer::kNone},
    };
    for (const auto& c : cases) {
        Kiv::RenderKernel::SetFailure(c.failure);
        Kiv::OS os("KodrinUtil", c.options);
        ASSERT_TRUE(os.Init());
        Kiv::RenderKernel kernel(nullptr, 8.0f);
        EXPECT_EQ(kernel.Init(&os, 0), c.renderer != Renderer::kNone)
            << c.options << " / " << c.failure;
        EXPECT_EQ(kernel.GetRenderer(), c.renderer) << c.options << " / " << c.failure;
    }
}

TEST_F(RenderKernelTest, ARetryWithTheNullRendererAddedSucceeds) {
    Kiv::RenderKernel::SetFailure("opengl");
    Kiv::OS os("KodrinUtil", "-render=OpenGL -hidewindow");
    ASSERT_TRUE(os.Init());
    Kiv::RenderKernel kernel(nullptr, 8.0f);
    ASSERT_FALSE(kernel.Init(&os, 0));
    os.GetOptions().ProcessRaw("-NullRender");
    EXPECT_TRUE(kernel.Init(&os, 0));
    EXPECT_EQ(kernel.GetRenderer(), Renderer::kNull);
    EXPECT_NE(kernel.GetSceneGraph(), nullptr);  // a graph of its own when given none
    EXPECT_FLOAT_EQ(kernel.GetDetail(), 8.0f);
}

TEST_F(RenderKernelTest, NeedsAnInitialisedOS) {
    Kiv::RenderKernel::SetFailure("");
    Kiv::RenderKernel kernel(nullptr, 8.0f);
    EXPECT_FALSE(kernel.Init(nullptr, 0));
    Kiv::OS os("KodrinUtil", "-NullRender");
    EXPECT_FALSE(kernel.Init(&os, 0));
    ASSERT_TRUE(os.Init());
    EXPECT_TRUE(kernel.Init(&os, 0));
}

}  // namespace
