// compile end to end: the installed tool compiles a script, with relative paths taken from
// the folder it was started in, and writes the library beside it; a failing compile prints
// the compiler's log, an error line with the compiler's error count, and ends with 255.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tool_process.h"

namespace {

TEST(CompileE2E, WritesTheLibraryBesideTheScript) {
    e2e::Installation install;
    const std::filesystem::path folder = install.FilesFolder() / "src";
    std::filesystem::create_directories(folder / "lib");
    std::ofstream(folder / "lib" / "base.gs", std::ios::binary) << "class Base { public int One() { return 1; } };\n";
    std::ofstream(folder / "Top.gs", std::ios::binary)
        << "include \"base.gs\"\nclass Top isclass Base { int Two() { return One() + 1; } };\n";

    const e2e::ToolResult result = install.Run({"compile", "src/Top.gs", "-isrc/lib"}, install.FilesFolder());
    EXPECT_EQ(result.out, "OK (0 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_GT(std::filesystem::file_size(folder / "Top.gsl"), 0u);
}

TEST(CompileE2E, AFailedCompilePrintsItsLogAndEndsWith255) {
    e2e::Installation install;
    std::ofstream(install.FilesFolder() / "bad.gs", std::ios::binary) << "class Bad {\n  int x\n};\n";
    const e2e::ToolResult result = install.Run({"compile", "bad.gs"}, install.FilesFolder());
    EXPECT_EQ(result.out, "bad.gs(3) : parse error, line 3\n"
                          "- <NULL> : The script did not compile: 1 errors.\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_FALSE(std::filesystem::exists(install.FilesFolder() / "bad.gsl"));

    const e2e::ToolResult usage = install.Run({"compile", "-s"}, install.FilesFolder());
    EXPECT_EQ(usage.out.rfind("PELMO VizaVozado Compiler V1.02\n\nKodrinUtil returns number of compile errors\n", 0), 0u);
    EXPECT_NE(usage.out.find("\n- <NULL> : No script file to compile.\nOK (1 Errors, 0 Warnings)\n"), std::string::npos);
    EXPECT_EQ(usage.exitCode, 255);
}

}  // namespace
