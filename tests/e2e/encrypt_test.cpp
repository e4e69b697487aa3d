// encrypt end to end: the installed tool writes the protected form of a script beside it,
// relative paths taken from the folder the tool was started in, and the file reads back
// to the same text.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "script_compiler/script_file.h"
#include "tool_process.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(EncryptE2E, WritesTheProtectedFormBesideTheScript) {
    e2e::Installation install;
    const std::filesystem::path folder = install.FilesFolder() / "src";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "small.gs", std::ios::binary) << "int a;";
    std::string large;
    for (int i = 0; i < 500; ++i) large += "class C" + std::to_string(i) + " { int x; };\r\n";
    std::ofstream(folder / "large.gs", std::ios::binary) << large;

    for (const char* name : {"src/small.gs", "src/Large.GS"}) {
        const e2e::ToolResult result = install.Run({"encrypt", name}, install.FilesFolder());
        EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n") << name;
        EXPECT_EQ(result.exitCode, 0) << name;
    }

    // "int a;": the header, then plain length 6 and the stored LZSS form, scrambled.
    const std::vector<uint8_t> small = {
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x5D, 0xC2, 0x17, 0x8E, 0x39, 0xCD, 0x03, 0x84, 0x22, 0xFA, 0x4F};
    EXPECT_EQ(ReadBytes(folder / "small.gse"), small);

    ScriptFile back;
    ASSERT_TRUE(back.Load(nullptr, (folder / "Large.gse").c_str()));
    ASSERT_TRUE(back.Decrypt());
    EXPECT_EQ(std::string(back.Bytes().begin(), back.Bytes().end()), large);
}

}  // namespace
