// `validate` end to end on assets with meshes: the installed tool loads the meshes a mesh
// table names (files made by the mesh tests' writer) with the textures their materials
// name. A mesh whose texture `compresstexture` converted validates clean; a LOD mesh that
// draws badly is warned about; in one command host, an alias asset's missing mesh goes
// unreported and a later asset's is reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../content3d/lm_file_writer.h"
#include "test_images.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

// A one-triangle mesh whose material names texture (none when empty).
std::string Mesh(const std::string& texture = "") {
    meshtest::MeshSpec spec;
    spec.chunks.push_back(meshtest::Triangles(1));
    if (!texture.empty()) spec.chunks[0].matl.textures.push_back({0, texture, 1});
    return meshtest::WriteMesh(spec);
}

// A scenery config with a mesh table of a body mesh and a shadow mesh.
std::string SceneryWithMeshes(const char* kuid, const char* name, const std::string& extra,
                              const char* body, const char* shadow) {
    return std::string("kuid ") + kuid + "\nkind \"scenery\"\nusername \"" + name +
           "\"\nkodrin-build 3.3\ncategory-class \"BR\"\ncategory-region \"UK\"\n"
           "category-era \"1950s\"\n" + extra +
           "mesh-table\n{\n  default\n  {\n    mesh \"" + body +
           "\"\n    auto-create 1\n  }\n  shadow\n  {\n    mesh \"" + shadow + "\"\n  }\n}\n";
}

void WriteBinary(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(ValidateMeshesE2E, AMeshWithAConvertedTextureValidatesClean) {
    Installation install;
    const fs::path barn = install.Root() / "data" / "barns" / "barn";
    WriteBinary(barn / "config.txt",
                SceneryWithMeshes("<kuid:414100:2301>", "Barn", "", "barn.im", "barn_shadow.im"));
    WriteBinary(barn / "barn.im", Mesh("barn.texture"));
    WriteBinary(barn / "barn_shadow.im", Mesh());
    WriteBinary(barn / "barn.texture.txt", "Primary=barn.tga\r\nTile=st\r\n");
    WriteBinary(barn / "barn.tga", e2e::SolidTga(64, 64));
    const ToolResult converted = install.Run({"compresstexture", barn.parent_path().string()});
    ASSERT_EQ(converted.exitCode, 0) << converted.out << converted.err;
    ASSERT_TRUE(fs::exists(barn / "barn.texture"));
    ASSERT_EQ(install.Run({"installfrompath", barn.parent_path().string()}).exitCode, 0);

    const ToolResult result = install.Run({"validate", "<kuid:414100:2301>"});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n") << result.err;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

TEST(ValidateMeshesE2E, ALODMeshOfOneSmallLevelIsWarnedAbout) {
    Installation install;
    const fs::path tower = install.FilesFolder() / "towers" / "tower";
    WriteBinary(tower / "config.txt",
                SceneryWithMeshes("<kuid:414100:2304>", "Tower", "", "tower.lm", "shadow.im"));
    meshtest::LmSpec lod;
    lod.levels.push_back(meshtest::TriangleLevel(0));
    WriteBinary(tower / "tower.lm", meshtest::WriteLm(lod));
    WriteBinary(tower / "shadow.im", Mesh());
    ASSERT_EQ(install.Run({"installfrompath", tower.parent_path().string()}).exitCode, 0);

    const ToolResult result = install.Run({"validate", "<kuid:414100:2304>"});
    EXPECT_FALSE(result.timedOut);
    const std::string subject = "! <kuid:414100:2304> : ";
    EXPECT_EQ(result.out,
              subject + "The LOD mesh tower.lm has no attachment points and no animations: it "
                        "cannot share its levels' work.\n" +
                  subject + "The LOD mesh tower.lm has a single level.\n" + subject +
                  "The last level of the LOD mesh tower.lm has fewer than 300 faces; a plain "
                  "mesh draws it faster.\n" +
                  "OK (0 Errors, 3 Warnings)\n")
        << result.err;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

TEST(ValidateMeshesE2E, AnAliasLeavesTheNextAssetsMissingMeshReported) {
    Installation install;
    ASSERT_EQ(install.Run({"installfrompath", (fs::path(KODRIN_SOURCE) / "examples").string()})
                  .exitCode,
              0);
    const fs::path folder = install.FilesFolder() / "sheds";
    WriteBinary(folder / "alias" / "config.txt",
                SceneryWithMeshes("<kuid:414100:2302>", "Alias shed", "alias <kuid:414100:1002>\n",
                                  "shed.im", "shed_shadow.im"));
    WriteBinary(folder / "plain" / "config.txt",
                SceneryWithMeshes("<kuid:414100:2303>", "Plain shed", "", "shed.im",
                                  "shed_shadow.im"));
    for (const char* asset : {"alias", "plain"})
        WriteBinary(folder / asset / "shed_shadow.im", Mesh());
    ASSERT_EQ(install.Run({"installfrompath", folder.string()}).exitCode, 0);

    const ToolResult alias = install.Run({"validate", "<kuid:414100:2302>"});
    EXPECT_FALSE(alias.timedOut);
    EXPECT_EQ(alias.out.find("Cannot load the mesh"), std::string::npos) << alias.out;
    const ToolResult plain = install.Run({"validate", "<kuid:414100:2303>"});
    EXPECT_FALSE(plain.timedOut);
    EXPECT_EQ(plain.out, "- <kuid:414100:2303> : Cannot load the mesh shed.im.\n"
                         "OK (1 Errors, 0 Warnings)\n")
        << plain.err;
    EXPECT_EQ(install.Run({"closekavdaemon"}).exitCode, 0);
}

} // namespace
