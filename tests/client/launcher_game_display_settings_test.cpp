// "Kodrin.cfg": the bytes Save writes (written out by hand below), and files of every
// version read back as the game's launcher reads them, including the cut and unknown ones
// that must leave the defaults.
#include "client/launcher/game_display_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Words(std::initializer_list<uint32_t> words) {
    Bytes bytes;
    for (uint32_t word : words)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The header of a file of that version: the four magic words, then the version.
Bytes Header(uint32_t version) {
    return Words({0x2B746B3E, 0x0A80C2BE, 0x168401F7, 0x01D1EE3C, version});
}

// 32-bit float bit patterns, worked out by hand.
constexpr uint32_t kFloat0_25 = 0x3E800000;
constexpr uint32_t kFloat0_5 = 0x3F000000;
constexpr uint32_t kFloat1_25 = 0x3FA00000;
constexpr uint32_t kFloat1_5 = 0x3FC00000;

// The fields of a record other than the defaults, and their words in file order.
GameDisplaySettings Distinct() {
    GameDisplaySettings s;
    s.width = 1920;
    s.colourBits = 16;
    s.verticalSync = 2;
    s.refreshRateChoice = 5;
    s.stencilEnabled = 0;
    s.renderer = 0;
    s.noHardwareTransformAndLighting = 1;
    s.groundPolygonOffset = 1;
    s.reservedFlag = 7;
    s.vertexOffsetEnabled = 1;
    s.vertexOffset = 0.25f;
    s.height = 1080;
    s.fullScreen = 0;
    s.physicalScreenRatio = 1.5f;
    s.multiSampleCount = 8;
    return s;
}

void ExpectSame(const GameDisplaySettings& a, const GameDisplaySettings& b, const std::string& label) {
    EXPECT_EQ(a.width, b.width) << label;
    EXPECT_EQ(a.colourBits, b.colourBits) << label;
    EXPECT_EQ(a.verticalSync, b.verticalSync) << label;
    EXPECT_EQ(a.refreshRateChoice, b.refreshRateChoice) << label;
    EXPECT_EQ(a.stencilEnabled, b.stencilEnabled) << label;
    EXPECT_EQ(a.renderer, b.renderer) << label;
    EXPECT_EQ(a.noHardwareTransformAndLighting, b.noHardwareTransformAndLighting) << label;
    EXPECT_EQ(a.groundPolygonOffset, b.groundPolygonOffset) << label;
    EXPECT_EQ(a.reservedFlag, b.reservedFlag) << label;
    EXPECT_EQ(a.vertexOffsetEnabled, b.vertexOffsetEnabled) << label;
    EXPECT_EQ(a.vertexOffset, b.vertexOffset) << label;
    EXPECT_EQ(a.height, b.height) << label;
    EXPECT_EQ(a.fullScreen, b.fullScreen) << label;
    EXPECT_EQ(a.physicalScreenRatio, b.physicalScreenRatio) << label;
    EXPECT_EQ(a.multiSampleCount, b.multiSampleCount) << label;
}

class GameDisplaySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kodrin-cfg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path File() const { return folder_ / "Kodrin.cfg"; }
    void Write(const Bytes& bytes) const {
        std::ofstream(File(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes Read() const {
        std::ifstream in(File(), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    const char* Folder() const { return folder_.c_str(); }

    fs::path folder_;
};

TEST_F(GameDisplaySettingsTest, SaveWritesTheHeaderAndTheFifteenFieldsInOrder) {
    ASSERT_TRUE(GameDisplaySettings().Save(Folder()));
    EXPECT_EQ(Read(), Concat({Header(3), Words({1024, 32, 0, 0, 1, 1, 0, 0, 0, 0, kFloat0_5, 768,
                                                1, 0, 4})}));

    ASSERT_TRUE(Distinct().Save(Folder()));
    const Bytes distinct = Concat({Header(3), Words({1920, 16, 2, 5, 0, 0, 1, 1, 7, 1, kFloat0_25,
                                                     1080, 0, kFloat1_5, 8})});
    EXPECT_EQ(Read(), distinct);
    EXPECT_EQ(distinct.size(), 80u);

    GameDisplaySettings loaded;
    ASSERT_TRUE(loaded.Load(Folder()));
    ExpectSame(loaded, Distinct(), "saved and loaded");
}

TEST_F(GameDisplaySettingsTest, SaveFailsWhenTheFileCannotBeMade) {
    EXPECT_FALSE(GameDisplaySettings().Save((folder_ / "missing").c_str()));
    fs::create_directory(File());  // a folder where the file should be
    EXPECT_FALSE(GameDisplaySettings().Save(Folder()));
}

TEST_F(GameDisplaySettingsTest, EveryVersionReadsItsOwnLayout) {
    // Version 0: no header, fourteen words, no multi-sample count.
    GameDisplaySettings version0 = Distinct();
    version0.multiSampleCount = 4;
    // Versions 1 and 2 carried a multi-sample count that is replaced by 4.
    GameDisplaySettings version12 = Distinct();
    version12.multiSampleCount = 4;
    const struct {
        const char* label;
        Bytes file;
        GameDisplaySettings expected;
    } cases[] = {
        {"version 0",
         Words({1920, 16, 2, 5, 0, 0, 1, 1, 7, 1, kFloat0_25, 1080, 0, kFloat1_5}), version0},
        {"version 1",
         Concat({Header(1), Words({1920, 16, 2, 5, 0, 0, 1, 1, 0xDEADBEEF, 7, 1, kFloat0_25, 1080,
                                   0, kFloat1_5, 2})}),
         version12},
        {"version 2",
         Concat({Header(2), Words({1920, 16, 2, 5, 0, 0, 1, 1, 7, 1, kFloat0_25, 1080, 0,
                                   kFloat1_5, 2})}),
         version12},
        {"version 3",
         Concat({Header(3), Words({1920, 16, 2, 5, 0, 0, 1, 1, 7, 1, kFloat0_25, 1080, 0,
                                   kFloat1_5, 8})}),
         Distinct()},
    };
    for (const auto& c : cases) {
        Write(c.file);
        GameDisplaySettings loaded = Distinct();
        loaded.multiSampleCount = 99;
        EXPECT_TRUE(loaded.Load(Folder())) << c.label;
        ExpectSame(loaded, c.expected, c.label);
    }
}

TEST_F(GameDisplaySettingsTest, UnknownCutAndMissingFilesLeaveTheDefaults) {
    const Bytes full = Words({800, 16, 1, 3, 0, 0, 1, 1, 9, 1, kFloat0_25, 600, 0, kFloat1_25, 2});
    const Bytes version3 = Concat({Header(3), full});
    const struct {
        const char* label;
        Bytes file;
    } cases[] = {
        {"version 4", Concat({Header(4), full})},
        {"negative version", Concat({Header(0xFFFFFFFF), full})},
        {"header with half a version", Bytes(version3.begin(), version3.begin() + 18)},
        {"version 3 cut in its last field", Bytes(version3.begin(), version3.end() - 1)},
        {"version 1 without its extra word", Concat({Header(1), full})},
        {"version 0 cut", Words({800, 16, 1})},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        Write(c.file);
        GameDisplaySettings loaded = Distinct();
        EXPECT_TRUE(loaded.Load(Folder())) << c.label;
        ExpectSame(loaded, GameDisplaySettings(), c.label);
    }

    fs::remove(File());
    GameDisplaySettings loaded = Distinct();
    EXPECT_FALSE(loaded.Load(Folder()));
    ExpectSame(loaded, GameDisplaySettings(), "missing");
}

}  // namespace
