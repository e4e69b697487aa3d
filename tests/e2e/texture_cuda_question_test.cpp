// The texture conversion asks the asset-database daemon whether CUDA is disabled before it
// compresses a texture, once for each texture whose images it could load, and never for
// one whose images it could not.
#include <gtest/gtest.h>

#include <string>

#include "tool_process.h"

namespace {

// A top-down 32-bit TGA of one opaque colour.
std::string Tga(uint16_t width, uint16_t height) {
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = 32;
    file[17] = 0x28;
    for (uint32_t i = 0; i < uint32_t{width} * height; ++i) file += std::string("\x90\x60\x30\xFF", 4);
    return file;
}

TEST(TextureCudaQuestionE2E, EachLoadedTextureAsksTheDaemonOnce) {
    e2e::Installation install;
    install.WriteFile("data/cuda/a.texture.txt", "Primary=a.tga\n");
    install.WriteFile("data/cuda/b.texture.txt", "Primary=a.tga\n");
    install.WriteFile("data/cuda/a.tga", Tga(16, 16));
    install.WriteFile("data/cuda/bad.texture.txt", "Primary=missing.tga\n");
    install.RecordDaemon();
    const e2e::ToolResult result = install.Run({"compresstexture", (install.Root() / "data" / "cuda").string()});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(install.DaemonRequestCount(181), 2) << install.DaemonRecord();
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

}  // namespace
