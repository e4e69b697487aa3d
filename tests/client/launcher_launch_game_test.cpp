// The game's parameter text: every switch with the setting that turns it on, in the fixed
// order, and the settings taken from "Kodrin.cfg" when none are given.
#include "client/launcher/launch_game.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>

#include "client/launcher/game_display_settings.h"

namespace {

namespace fs = std::filesystem;

const std::string kDefaults = " -Width=1024 -Height=768 -ColorBits=32 -fullscreen -multiSample=4 -Render=OpenGL";

TEST(LaunchGameParameters, EachSettingGivesItsSwitch) {
    using Change = std::function<void(GameDisplaySettings&)>;
    const struct {
        const char* extra;
        Change change;
        std::string expected;
    } cases[] = {
        {"", [](GameDisplaySettings&) {}, kDefaults},
        {"-log", [](GameDisplaySettings&) {}, "-log" + kDefaults},
        {"", [](GameDisplaySettings& s) { s.width = 800; s.height = 600; s.colourBits = 16; },
         " -Width=800 -Height=600 -ColorBits=16 -fullscreen -multiSample=4 -Render=OpenGL"},
        {"", [](GameDisplaySettings& s) { s.fullScreen = 0; },
         " -Width=1024 -Height=768 -ColorBits=32 -windowed -multiSample=4 -Render=OpenGL"},
        {"", [](GameDisplaySettings& s) { s.physicalScreenRatio = 1.6f; },
         " -Width=1024 -Height=768 -ColorBits=32 -fullscreen -PhysicalScreenRatio=1.600000"
         " -multiSample=4 -Render=OpenGL"},
        {"", [](GameDisplaySettings& s) { s.physicalScreenRatio = -0.5f; },
         " -Width=1024 -Height=768 -ColorBits=32 -fullscreen -PhysicalScreenRatio=-0.500000"
         " -multiSample=4 -Render=OpenGL"},
        {"", [](GameDisplaySettings& s) { s.physicalScreenRatio = 0.01f; }, kDefaults},
        {"", [](GameDisplaySettings& s) { s.multiSampleCount = 0; },
         " -Width=1024 -Height=768 -ColorBits=32 -fullscreen -Render=OpenGL"},
        {"", [](GameDisplaySettings& s) { s.multiSampleCount = -2; },
         " -Width=1024 -Height=768 -ColorBits=32 -fullscreen -Render=OpenGL"},
        {"", [](GameDisplaySettings& s) { s.renderer = 0; },
         " -Width=1024 -Height=768 -ColorBits=32 -fullscreen -multiSample=4 -Render=DirectX9"},
        {"", [](GameDisplaySettings& s) { s.stencilEnabled = 0; }, kDefaults + " -DisableStencil"},
        {"", [](GameDisplaySettings& s) { s.noHardwareTransformAndLighting = 1; }, kDefaults + " -nohwtnl"},
        {"", [](GameDisplaySettings& s) { s.groundPolygonOffset = 1; }, kDefaults + " -groundpolyoffset"},
        {"", [](GameDisplaySettings& s) { s.reservedFlag = 1; }, kDefaults},
        {"", [](GameDisplaySettings& s) { s.verticalSync = 1; }, kDefaults + " -Vsync"},
        {"", [](GameDisplaySettings& s) { s.verticalSync = 2; }, kDefaults + " -Vsync=2"},
        {"", [](GameDisplaySettings& s) { s.verticalSync = 3; }, kDefaults},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 1; }, kDefaults + " -Frequency=60"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 2; }, kDefaults + " -Frequency=70"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 3; }, kDefaults + " -Frequency=72"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 4; }, kDefaults + " -Frequency=75"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 5; }, kDefaults + " -Frequency=80"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 6; }, kDefaults + " -Frequency=85"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 7; }, kDefaults + " -Frequency=100"},
        {"", [](GameDisplaySettings& s) { s.refreshRateChoice = 8; }, kDefaults},
        {"", [](GameDisplaySettings& s) { s.vertexOffsetEnabled = 1; }, kDefaults + " -offsetvertices=0.5"},
        {"", [](GameDisplaySettings& s) { s.vertexOffsetEnabled = 1; s.vertexOffset = 1.0f; },
         kDefaults + " -offsetvertices=1.0"},
        {"-a", [](GameDisplaySettings& s) {
             s.stencilEnabled = 0; s.noHardwareTransformAndLighting = 1; s.groundPolygonOffset = 1;
             s.verticalSync = 2; s.refreshRateChoice = 7; s.vertexOffsetEnabled = 1;
         },
         "-a" + kDefaults + " -DisableStencil -nohwtnl -groundpolyoffset -Vsync=2 -Frequency=100"
                            " -offsetvertices=0.5"},
    };
    for (const auto& c : cases) {
        GameDisplaySettings settings;
        c.change(settings);
        EXPECT_EQ(LaunchGameParameters("", c.extra, &settings), c.expected);
    }
}

TEST(LaunchGameParameters, WithoutSettingsTheInstallationsFileOrTheDefaults) {
    std::string pattern = (fs::temp_directory_path() / "kodrin-launch-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    EXPECT_EQ(LaunchGameParameters(pattern.c_str(), nullptr, nullptr), kDefaults);
    GameDisplaySettings saved;
    saved.fullScreen = 0;
    saved.verticalSync = 1;
    ASSERT_TRUE(saved.Save(pattern.c_str()));
    EXPECT_EQ(LaunchGameParameters(pattern.c_str(), "x", nullptr),
              "x -Width=1024 -Height=768 -ColorBits=32 -windowed -multiSample=4 -Render=OpenGL -Vsync");
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
}

}  // namespace
