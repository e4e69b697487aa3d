// The null display: what it reports by default and after setting, the call log that only
// recording fills, the stage-program failure switch, and the colour byte-order conversion.
#include "engine/display.h"

#include <gtest/gtest.h>

#include "engine/texture_stage_program.h"

namespace {

TEST(Display, DefaultsAndSettings) {
    Kiv::Display display;
    for (int capability : {1, 17, 21, 29}) EXPECT_TRUE(display.HasCapability(capability));
    for (int capability : {0, 2, 16, 18, 30}) EXPECT_FALSE(display.HasCapability(capability));
    EXPECT_EQ(display.GetNumTextureStages(), 4);
    EXPECT_FALSE(display.GetSoftwareSkinning());
    EXPECT_EQ(display.GetDefaultVertexColor(), 0xFFFFFFFFu);
    EXPECT_NE(display.GetVertexProgramManager(), nullptr);
    EXPECT_NE(display.GetTextureCombinerManager(), nullptr);

    display.SetCapability(17, false);
    display.SetCapability(5, true);
    display.SetProgramManagersPresent(false);
    display.SetBlendFactors(4, 1);
    display.SetFogMode(3);
    EXPECT_FALSE(display.HasCapability(17));
    EXPECT_TRUE(display.HasCapability(5));
    EXPECT_EQ(display.GetVertexProgramManager(), nullptr);
    EXPECT_EQ(display.GetTextureCombinerManager(), nullptr);
    int source = 0, destination = 0;
    display.GetBlendFactors(source, destination);
    EXPECT_EQ(source, 4);
    EXPECT_EQ(destination, 1);
    EXPECT_EQ(display.GetFogMode(), 3);
}

TEST(Display, RecordsOnlyWhileRecording) {
    Kiv::Display display;
    display.SetAlphaTest(true);
    EXPECT_TRUE(display.GetCallLog().empty());
    display.SetRecording(true);
    display.BeginFrame();
    display.SetBlendFactors(4, 5);
    display.BindTexture(1, nullptr);
    display.SetTextureStageConstant(0, {0.5f, 0.5f, 0.5f, 0.5f});
    display.EndFrame();
    const std::vector<std::string> expected = {
        "BeginFrame", "SetBlendFactors 4 5", "ClearTextureStage 1",
        "SetTextureStageConstant 0 0.5 0.5 0.5 0.5", "EndFrame"};
    EXPECT_EQ(display.GetCallLog(), expected);
    display.ClearCallLog();
    EXPECT_TRUE(display.GetCallLog().empty());
    EXPECT_TRUE(display.GetAlphaTest());
}

TEST(Display, StageProgramFailureHitsTheNthCreation) {
    Kiv::Display display;
    const Kiv::TextureArgs args(0, 1, 1, 0, {});
    const int live = Kiv::Display::GetLiveStageProgramCount();
    display.FailStageProgramCreation(2);
    Kiv::TextureStageProgram* first = display.CreateTextureStageProgram(0, args, args);
    Kiv::TextureStageProgram* second = display.CreateTextureStageProgram(1, args, args);
    Kiv::TextureStageProgram* third = display.CreateTextureStageProgram(1, args, args);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetStage(), 1);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live + 2);
    Kiv::Display::DestroyTextureStageProgram(first);
    Kiv::Display::DestroyTextureStageProgram(third);
    Kiv::Display::DestroyTextureStageProgram(nullptr);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), live);
}

TEST(Display, ConvertColorArraySwapsRedAndBlue) {
    uint32_t colors[] = {0x80112233u, 0xFF0000FFu, 0x00FF0000u, 0x12345678u};
    Kiv::Display::ConvertColorArray(colors, 4);
    EXPECT_EQ(colors[0], 0x80332211u);
    EXPECT_EQ(colors[1], 0xFFFF0000u);
    EXPECT_EQ(colors[2], 0x000000FFu);
    EXPECT_EQ(colors[3], 0x12785634u);
}

}  // namespace
