// The texture conversion asks the asset-database daemon whether CUDA is disabled before it
// compresses a texture, once for each texture whose images it could load, and never for
// one whose images it could not.
#include <gtest/gtest.h>

#include <string>

#include "test_images.h"
#include "tool_process.h"

namespace {

TEST(TextureCudaQuestionE2E, EachLoadedTextureAsksTheDaemonOnce) {
    e2e::Installation install;
    install.WriteFile("data/cuda/a.texture.txt", "Primary=a.tga\n");
    install.WriteFile("data/cuda/b.texture.txt", "Primary=a.tga\n");
    install.WriteFile("data/cuda/a.tga", e2e::SolidTga(16, 16));
    install.WriteFile("data/cuda/bad.texture.txt", "Primary=missing.tga\n");
    install.RecordDaemon();
    const e2e::ToolResult result = install.Run({"compresstexture", (install.Root() / "data" / "cuda").string()});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(install.DaemonRequestCount(181), 2) << install.DaemonRecord();
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

}  // namespace
