// The installed script libraries end to end: a user's script that includes the installed
// sources compiles with the installed tool, and each installed library carries the id pair
// of its installed source (the CRC-32 of the source's bytes and of its lower-cased name),
// which is what a script that includes that source links against.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/text/crc32.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

uint32_t Le32At(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

TEST(ScriptLibrariesE2E, AScriptIncludingTheInstalledSourcesCompiles) {
    e2e::Installation install;
    std::ofstream(install.FilesFolder() / "user.gs", std::ios::binary)
        << "include \"soup.gs\"\ninclude \"kuidlist.gs\"\n"
           "class User {\n"
           "  public int Count(Soup s, KUIDList l) {\n"
           "    s.SetNamedTag(\"name\", \"value\");\n"
           "    return s.CountTags() + l.CountKUIDs() + s.GetNamedTagAsInt(\"n\", 2);\n"
           "  }\n"
           "};\n";
    const std::string includes = "-i" + (install.Root() / "scripts").string();
    const e2e::ToolResult result = install.Run({"compile", "user.gs", includes}, install.FilesFolder());
    EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::exists(install.FilesFolder() / "user.gsl"));
}

TEST(ScriptLibrariesE2E, EachLibraryCarriesTheIdsOfItsInstalledSource) {
    e2e::Installation install;
    int libraries = 0;
    for (const auto& entry : fs::directory_iterator(install.Root() / "libraries")) {
        const std::string name = entry.path().stem().string() + ".gs";
        const std::string source = ReadAll(install.Root() / "scripts" / name);
        const std::string library = ReadAll(entry.path());
        ASSERT_FALSE(source.empty()) << name;
        ASSERT_GE(library.size(), 20u) << name;
        EXPECT_EQ(Le32At(library, 12), ComputeCrc32(source.data(), source.size())) << name;
        EXPECT_EQ(Le32At(library, 16), ComputeCrc32LowerCase(name.c_str())) << name;
        ++libraries;
    }
    EXPECT_EQ(libraries, 16);
}

}  // namespace
