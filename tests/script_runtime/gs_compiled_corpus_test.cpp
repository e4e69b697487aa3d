// Code the compiler writes always passes the loader's verifier, the typed pass included:
// every seed of the compiler's fuzz corpus (classes, inheritance with inherited calls,
// switches, strings and arrays, waits and threads, natives) is compiled and must then load
// with every class linked and every function verified. The compiled-script tests load their
// own sources the same way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gs_compiled_script_support.h"

namespace {

class GSCompiledCorpusTest : public gstest::CompiledScriptTest {};

TEST_F(GSCompiledCorpusTest, EveryCompilableSeedLoads) {
    const std::filesystem::path corpus =
        std::filesystem::path(KODRIN_FIXTURES).parent_path().parent_path() / "fuzz" / "corpus" / "script_compile";
    int loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string name = "seed_" + entry.path().filename().string();
        EXPECT_NE(Load(name, source), nullptr) << entry.path();
        for (const std::string& line : gstest::LogLines()) ADD_FAILURE() << entry.path() << ": " << line;
        gstest::LogLines().clear();
        ++loaded;
    }
    EXPECT_GE(loaded, 4);
}

}  // namespace
