// `validate` end to end: the installed tool, its stand-in daemon and the command host the
// daemon starts, over the installation's own templates. The project's examples validate
// clean; an asset made for a newer build gets one finding about it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <png.h>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

// A grey PNG of that size.
std::string GreyPng(uint32_t width, uint32_t height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_GRAY;
    const std::vector<unsigned char> pixels(size_t{width} * height, 128);
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::string out(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

// The output lines that begin with prefix.
std::vector<std::string> LinesStarting(const std::string& out, const std::string& prefix) {
    std::istringstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

TEST(ValidateE2E, TheExamplesValidateCleanAndAFutureBuildIsReported) {
    Installation install;
    const ToolResult installed =
        install.Run({"installfrompath", (fs::path(KODRIN_SOURCE) / "examples").string()});
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
    for (const char* kuid : {"<kuid:414100:1001>", "<kuid:414100:1002>", "<kuid:414100:1003>"}) {
        const ToolResult result = install.Run({"validate", kuid});
        EXPECT_FALSE(result.timedOut) << kuid;
        EXPECT_EQ(result.exitCode, 0) << kuid;
        EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n") << kuid << result.err;
    }

    const fs::path future = install.FilesFolder() / "future" / "tower";
    fs::create_directories(future);
    std::ofstream(future / "config.txt") << "kuid <kuid:414100:2001>\n"
                                            "kind \"scenery\"\n"
                                            "username \"Future tower\"\n"
                                            "kodrin-build 3.31\n";
    ASSERT_EQ(install.Run({"installfrompath", future.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2001>"});
    EXPECT_FALSE(result.timedOut);
    const std::vector<std::string> findings = LinesStarting(result.out, "- ");
    ASSERT_EQ(findings.size(), 1u) << result.out;
    EXPECT_EQ(findings[0], "- <kuid:414100:2001> : This asset was made for a newer build than "
                           "this tool validates (3.3 and below).");
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

TEST(ValidateE2E, MatchingAndExportFindingsArePrintedInTheOrderFound) {
    Installation install;
    const fs::path asset = install.FilesFolder() / "unchecked" / "crate";
    fs::create_directories(asset);
    std::ofstream(asset / "config.txt") << "kuid <kuid:414100:2002>\n"
                                           "kind \"scenery\"\n"
                                           "kodrin-build 3.3\n"
                                           "paint \"red\"\n"
                                           "category-class \"QQ\"\n";
    ASSERT_EQ(install.Run({"installfrompath", asset.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2002>"});
    EXPECT_FALSE(result.timedOut);
    const std::string subject = " <kuid:414100:2002> : ";
    std::vector<std::string> findings;
    for (const std::string& line : LinesStarting(result.out, ""))
        if (line.find(subject) != std::string::npos) findings.push_back(line);
    EXPECT_EQ(findings,
              (std::vector<std::string>{
                  "-" + subject + "The tag paint in scenery is not defined for this kind of asset.",
                  "!" + subject + "The tag username is missing; its default is used.",
                  "-" + subject + "The tag username in scenery must not be empty.",
                  "-" + subject + "The tag category-class in scenery has no value from its list.",
              }))
        << result.out;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

// A converted texture without its description is an error for a current build.
TEST(ValidateE2E, ALoneConvertedTextureIsReported) {
    Installation install;
    const fs::path shed = install.FilesFolder() / "textured" / "shed";
    fs::create_directories(shed);
    std::ofstream(shed / "config.txt") << "kuid <kuid:414100:2002>\n"
                                          "kind \"scenery\"\n"
                                          "username \"Shed\"\n"
                                          "kodrin-build 3.3\n";
    std::ofstream(shed / "roof.texture") << "converted";
    ASSERT_EQ(install.Run({"installfrompath", shed.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2002>"});
    EXPECT_FALSE(result.timedOut);
    const std::vector<std::string> findings = LinesStarting(result.out, "- ");
    ASSERT_EQ(findings.size(), 1u) << result.out;
    EXPECT_EQ(findings[0], "- <kuid:414100:2002> : The converted texture 'roof.texture' has no "
                           "texture description beside it.");
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

// A reference to an asset the database does not hold is a warning. Like every finding of
// the folder stage it reaches the log only when that stage fails (here: a converted texture
// without its description).
TEST(ValidateE2E, AReferenceToAnUninstalledAssetIsAWarning) {
    Installation install;
    const fs::path hut = install.FilesFolder() / "referring" / "hut";
    fs::create_directories(hut);
    std::ofstream(hut / "config.txt") << "kuid <kuid:414100:2003>\n"
                                         "kind \"scenery\"\n"
                                         "username \"Hut\"\n"
                                         "kodrin-build 3.3\n"
                                         "mesh-asset <kuid:414100:9999>\n";
    ASSERT_EQ(install.Run({"installfrompath", hut.parent_path().string()}).exitCode, 0);
    const ToolResult clean = install.Run({"validate", "<kuid:414100:2003>"});
    EXPECT_FALSE(clean.timedOut);
    EXPECT_EQ(clean.out, "OK (0 Errors, 0 Warnings)\n") << clean.err;

    std::ofstream(hut / "roof.texture") << "converted";
    ASSERT_EQ(install.Run({"installfrompath", hut.parent_path().string()}).exitCode, 0);
    const ToolResult failed = install.Run({"validate", "<kuid:414100:2003>"});
    EXPECT_FALSE(failed.timedOut);
    EXPECT_EQ(LinesStarting(failed.out, "! "),
              (std::vector<std::string>{"! <kuid:414100:2003> : The asset <kuid:414100:9999> is "
                                        "not in the asset database."}))
        << failed.out;
    EXPECT_EQ(LinesStarting(failed.out, "- ").size(), 1u) << failed.out;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

// Configs written for builds before 2.90 are brought up to the current layout before they
// are matched: numbered categories joined, the old name key, era and region defaults, the
// class code of the older table, and stray words dropped.
TEST(ValidateE2E, OldConfigsValidateAfterTheirUpgrade) {
    Installation install;
    const fs::path folder = install.FilesFolder() / "old";
    const struct {
        const char* asset;
        const char* config;
    } assets[] = {
        {"shed", "kuid <kuid:414100:2003>\nkind \"scenery\"\nname \"Old shed\"\n"
                 "kodrin-build 2.5\ncategory-region-0 \"uk\"\ncategory-region-1 \"de\"\n"
                 "category-era-0 \"1950\"\ncategory-class \"BR\"\nversion \"1\"\n"
                 "description \"A shed\"\n"},
        {"yard", "kuid <kuid:414100:2005>\nkind \"scenery\"\nname \"Old yard\"\n"
                 "kodrin-build 2.5\ncategory-region-0 \"uk\"\ncategory-era-0 \"1950\"\n"
                 "category-class \"BR\"\nversion \"1\"\nrem \"a comment\"\n"},
        {"hut", "kuid <kuid:414100:2004>\nkind \"scenery\"\nasset-filename \"hut\"\n"
                "region \"somewhere\"\n"},
    };
    for (const auto& asset : assets) {
        fs::create_directories(folder / asset.asset);
        std::ofstream(folder / asset.asset / "config.txt") << asset.config;
    }
    ASSERT_EQ(install.Run({"installfrompath", folder.string()}).exitCode, 0);
    // The tags the upgrade sets go to the end, after "description"; the plain tags that
    // follow "description" up to the first one a kind's template lists (itself or through
    // the templates it inherits) are dropped, so the user name made from "name" stays.
    const ToolResult shed = install.Run({"validate", "<kuid:414100:2003>"});
    EXPECT_FALSE(shed.timedOut);
    EXPECT_EQ(shed.out, "OK (0 Errors, 0 Warnings)\n") << shed.err;
    const ToolResult yard = install.Run({"validate", "<kuid:414100:2005>"});
    EXPECT_FALSE(yard.timedOut);
    EXPECT_EQ(yard.out, "OK (0 Errors, 0 Warnings)\n") << yard.err;
    // The hut's file name gave it a mesh table, which the scenery rules read; the mesh it
    // names does not exist.
    const ToolResult hut = install.Run({"validate", "<kuid:414100:2004>"});
    EXPECT_FALSE(hut.timedOut);
    EXPECT_EQ(hut.out, "- <kuid:414100:2004> : Cannot load the mesh hut.im.\n"
                       "! <kuid:414100:2004> : The mesh table has no shadow mesh.\n"
                       "OK (1 Errors, 1 Warnings)\n")
        << hut.err;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

// Scripted assets: their sources are compiled into the library cache and their class is
// checked against the asset's category; compile errors are the compiler's own messages.
TEST(ValidateE2E, ScriptsAreCompiledAndTheirClassChecked) {
    Installation install;
    const fs::path folder = install.FilesFolder() / "scripted";
    const struct {
        const char* asset;
        const char* kuid;
        const char* source;
    } assets[] = {
        {"lamp", "<kuid:414100:2101>", "class Lamp { int On() { return 1; } };\n"},
        {"car", "<kuid:414100:2102>", "class Vehicle {};\nclass Car isclass Vehicle {};\n"},
        {"broken", "<kuid:414100:2103>", "class Broken { int x };\n"},
        {"twin", "<kuid:414100:2104>", "class Lamp { int On() { return 1; } };\n"},
    };
    for (const auto& asset : assets) {
        fs::create_directories(folder / asset.asset);
        std::ofstream(folder / asset.asset / "config.txt")
            << "kuid " << asset.kuid << "\nkind \"scenery\"\nusername \"" << asset.asset
            << "\"\nkodrin-build 3.3\ncategory-class \"BR\"\ncategory-region \"UK\"\n"
            << "category-era \"1950s\"\nscript \"main.gs\"\nclass \""
            << (std::string(asset.asset) == "car" ? "Car" : std::string(asset.source).substr(6, 4))
            << "\"\n";
        std::ofstream(folder / asset.asset / "main.gs") << asset.source;
    }
    ASSERT_EQ(install.Run({"installfrompath", folder.string()}).exitCode, 0);
    // The twin's source is the lamp's: one library serves both, and validating again
    // registers the library the script machine already knows.
    for (const char* kuid : {"<kuid:414100:2101>", "<kuid:414100:2104>", "<kuid:414100:2101>"}) {
        const ToolResult lamp = install.Run({"validate", kuid});
        EXPECT_EQ(lamp.out, "OK (0 Errors, 0 Warnings)\n") << kuid << lamp.err;
    }
    const ToolResult car = install.Run({"validate", "<kuid:414100:2102>"});
    // The script stage's errors concern no asset.
    EXPECT_EQ(car.out, "- <NULL> : Script class does not match asset kind (vehicle).\n"
                       "OK (1 Errors, 0 Warnings)\n");
    const ToolResult broken = install.Run({"validate", "<kuid:414100:2103>"});
    EXPECT_EQ(broken.out, "- <NULL> : main.gs(1) : parse error, line 1\n"
                          "OK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

// A scenery asset seeded with faults of its config and its textures: every finding in the
// order the checks make them (matching, the texture walk, then export), each naming the
// asset.
TEST(ValidateE2E, ASeededBadSceneryAssetReportsEachFault) {
    Installation install;
    const fs::path asset = install.FilesFolder() / "seeded" / "depot";
    fs::create_directories(asset);
    std::ofstream(asset / "config.txt") << "kuid <kuid:414100:2201>\n"
                                           "kind \"scenery\"\n"
                                           "kodrin-build 3.3\n"
                                           "category-class \"QQ\"\n"
                                           "colour \"red\"\n"
                                           ".cache\n{\n}\n";
    std::ofstream(asset / "roof.texture") << "converted";
    std::ofstream(asset / "wall.texture.txt") << "Primary=Wall.png\r\nTile=st\r\n";
    std::ofstream(asset / "Wall.png", std::ios::binary) << GreyPng(300, 256);
    ASSERT_EQ(install.Run({"installfrompath", asset.parent_path().string()}).exitCode, 0);
    const ToolResult result = install.Run({"validate", "<kuid:414100:2201>"});
    EXPECT_FALSE(result.timedOut);
    const std::string subject = " <kuid:414100:2201> : ";
    EXPECT_EQ(result.out,
              "-" + subject + "The tag colour in scenery is not defined for this kind of asset.\n" +
              "-" + subject + "The tag .cache in scenery is not defined for this kind of asset.\n" +
              "-" + subject +
              "The folder .cache is left over from an older build and should be deleted.\n" +
              "!" + subject + "The tag username is missing; its default is used.\n" +
              "-" + subject +
              "The converted texture 'roof.texture' has no texture description beside it.\n" +
              "-" + subject + "The sides of the image 'wall.png' are not powers of two.\n" +
              "-" + subject +
              "The texture description 'wall.texture.txt' has no converted texture.\n" +
              "-" + subject + "The tag username in scenery must not be empty.\n" +
              "-" + subject + "The tag category-class in scenery has no value from its list.\n" +
              "OK (8 Errors, 1 Warnings)\n")
        << result.err;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

} // namespace
