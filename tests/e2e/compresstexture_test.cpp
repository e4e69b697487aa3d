// compresstexture end to end: the installed tool converts a folder tree that the test made
// in its installation's "data" folder. One description in a subfolder fails (its image is
// missing): the good ones are converted, the failing one's old ".texture" is gone, every
// description is back under its own name, the one error line is exact and the exit status
// is 255 (-1). An empty folder, given relative to the program folder, succeeds with 0. A
// description that a killed run left under its temporary name is restored and converted.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "test_images.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST(CompressTextureE2E, ConvertsTheTreeAndReportsTheOneThatFailed) {
    e2e::Installation install;
    install.WriteFile("data/textures/a.texture.txt", "Primary=a.tga\nAlphaHint=none\n");
    install.WriteFile("data/textures/a.tga", e2e::SolidTga(128, 128));
    install.WriteFile("data/textures/texture.txt", "Primary=a.tga\n");
    install.WriteFile("data/textures/sub/b.texture.txt", "Primary=b.tga\nHint=3\n");
    install.WriteFile("data/textures/sub/b.tga", e2e::SolidTga(64, 64));
    install.WriteFile("data/textures/sub/bad.texture.txt", "Primary=missing.tga\n");
    install.WriteFile("data/textures/sub/bad.texture", "old");
    const fs::path folder = install.Root() / "data" / "textures";

    const e2e::ToolResult result = install.Run({"compresstexture", folder.string()});
    EXPECT_EQ(result.out,
              "- <NULL> : Cannot load the texture description 'textures/sub/bad.texture.txt' in "
              "'data': image 'missing.tga' cannot be read.\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);

    for (const char* description : {"a.texture.txt", "texture.txt", "sub/b.texture.txt", "sub/bad.texture.txt"})
        EXPECT_TRUE(fs::exists(folder / description)) << description;
    for (const char* gone : {"sub/bad.texture", "texture", "a.convert-tex.txt", "sub/bad.convert-tex.txt"})
        EXPECT_FALSE(fs::exists(folder / gone)) << gone;
    EXPECT_TRUE(fs::exists(folder / "sub" / "b.texture"));

    // 128 x 128 without alpha: DXT1 (8 bytes a 4 x 4 block), 8 levels of 12-byte heads.
    const std::string converted = Read(folder / "a.texture");
    const size_t levelBytes = 8192 + 2048 + 512 + 128 + 32 + 8 + 8 + 8;
    ASSERT_EQ(converted.size(), 12 + 28 + 8 * 12 + levelBytes);
    EXPECT_EQ(converted.substr(0, 4), "KIRF");
    EXPECT_EQ(converted.substr(8, 4), "MMTF");
    EXPECT_EQ(U32(converted, 16), 10u);
    EXPECT_EQ(U32(converted, 20), 128u);
    EXPECT_EQ(U32(converted, 24), 128u);
    EXPECT_EQ(U32(converted, 32), 8u);
}

TEST(CompressTextureE2E, AnEmptyFolderBelowTheProgramFolderSucceeds) {
    e2e::Installation install;
    fs::create_directories(install.Root() / "data" / "empty");
    const e2e::ToolResult empty = install.Run({"compresstexture", "data/empty"});
    EXPECT_EQ(empty.out, "OK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(empty.exitCode, 0);

    const e2e::ToolResult missing = install.Run({"compresstexture", "data/missing"});
    EXPECT_EQ(missing.out, "- <NULL> : Unable to search path: '" + (install.Root() / "data/missing").string() +
                               "'\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(missing.exitCode, 255);
}

}  // namespace

namespace {

TEST(CompressTextureE2E, ADescriptionAKilledRunLeftAsideIsRestoredAndConverted) {
    e2e::Installation install;
    install.WriteFile("data/textures/a.convert-tex.txt", "Primary=a.tga\n");
    install.WriteFile("data/textures/a.tga", e2e::SolidTga(16, 16));
    const fs::path folder = install.Root() / "data" / "textures";
    const e2e::ToolResult result = install.Run({"compresstexture", "data/textures"});
    EXPECT_EQ(result.out,
              "! <NULL> : Restored the texture description '" + (folder / "a.texture.txt").string() +
                  "' that an interrupted conversion left as 'a.convert-tex.txt'\nOK (0 Errors, 1 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::exists(folder / "a.texture.txt"));
    EXPECT_FALSE(fs::exists(folder / "a.convert-tex.txt"));
    EXPECT_TRUE(fs::exists(folder / "a.texture"));
}

}  // namespace
