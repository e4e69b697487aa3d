// `compresstexture` through the dispatcher when a shut-down (SIGTERM) arrives midway: the
// signal does not end the process, no further texture is begun, and the command fails
// saying it was interrupted. The signal is raised by the path splitter as the first
// description is prepared, so it comes at a known point of the walk.
#include <csignal>
#include <fstream>
#include <string>

#include "command_test_support.h"
#include "content3d/textures/kav_texture_convert_file_rpc.h"

namespace {

// Asks for a shut-down, then places the path in no location.
bool SplitAndShutDown(Kiv::PString& location, Kiv::File::Path& path) {
    raise(SIGTERM);
    location = Kiv::PString();
    path = Kiv::File::Path();
    return false;
}

using CompressTextureCommandTest = CommandTest;

TEST_F(CompressTextureCommandTest, AShutDownStopsTheRunWhichFailsSayingSo) {
    TemporaryFolder folder;
    for (const char* name : {"a.texture.txt", "b.texture.txt"})
        std::ofstream(folder.Path(name)) << "Primary=a.tga\n";
    SetTextureAssetPathSplitter(SplitAndShutDown);
    const int result = Run({"compresstexture", folder.Path("").c_str()});
    SetTextureAssetPathSplitter(nullptr);

    EXPECT_EQ(result, -1);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);  // the one description begun, then the interruption
    EXPECT_EQ(lines[0].rfind("- <NULL> : Unable to determine relative path for '" + folder.Path(""), 0), 0u)
        << lines[0];
    EXPECT_EQ(lines[1], "- <NULL> : Interrupted: the textures not yet converted were left as they "
                        "were, every description under its own name.");
}

}  // namespace
