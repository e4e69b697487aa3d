// Damaged inputs: every prefix and seeded random mutations of a valid source and of a valid
// ".gse" file are refused or accepted cleanly, never read out of bounds or crash (the
// sanitizer build runs these too).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "parse_support.h"
#include "script_compiler/script_file.h"
#include "script_folder.h"

namespace {

const char kSource[] =
    "include \"base.gs\"\n"
    "public game class Loco isclass Base, Other {\n"
    "  define int K = 0x10 << 2;\n"
    "  string[] names;\n"
    "  native float Speed(int a, Foo[] b);\n"
    "  thread void Run(void) {\n"
    "    int i = 0; Foo f = cast<Foo> me.Find(\"a\\tb\", 'c', 1.5f);\n"
    "    for (i = 0; i < n; ++i, j--) { if (a) if (b) x[1, ] = y[, 2]; else z = -~!w; }\n"
    "    wait() { on \"M\", \"m\", msg: break; on \"A\", \"\": continue; }\n"
    "    switch (i) { case 1: case 2: L: goto L; default: return new Foo[3]; }\n"
    "    /* done */ x.copy(y).size(); // end\n"
    "  }\n"
    "};\n";

TEST(HostileSource, EveryPrefixAndMutationParsesOrFailsCleanly) {
    const std::string source = kSource;
    ASSERT_EQ(ParseText(source)->result, 0);
    for (size_t length = 0; length < source.size(); ++length) {
        const auto parsed = ParseText(source.substr(0, length));
        EXPECT_EQ(parsed->result, parsed->arena->errorCount == 0 ? 0 : 1) << length;
    }
    std::mt19937 random(16);
    for (int round = 0; round < 2000; ++round) {
        std::string mutated = source;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % mutated.size();
            const char byte = static_cast<char>(random() % 256);
            if (random() % 2) mutated[at] = byte;
            else mutated.insert(at, 1, byte);
        }
        const auto parsed = ParseText(mutated);
        EXPECT_TRUE(parsed->result == 0 || parsed->result == 1) << round;
    }
}

TEST(HostileScriptFile, EveryPrefixAndMutationOfAProtectedFileIsHandled) {
    ScriptFolder folder;
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder.Write("s.gs", std::string(kSource)).c_str()));
    ASSERT_TRUE(file.Save(nullptr, folder.Path("s.gse").c_str()));
    const Bytes valid = folder.Read("s.gse");
    auto check = [&](const Bytes& bytes) {
        ScriptFile damaged;
        if (!damaged.Load(nullptr, folder.Write("d.gse", bytes).c_str())) return;
        if (damaged.Decrypt()) {
            EXPECT_EQ(damaged.Bytes().size(), damaged.GetLength());
        }
    };
    for (size_t length = 0; length < valid.size(); ++length)
        check(Bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(length)));
    std::mt19937 random(3112);
    for (int round = 0; round < 300; ++round) {
        Bytes mutated = valid;
        mutated[16 + random() % (mutated.size() - 16)] ^= static_cast<uint8_t>(1 + random() % 255);
        check(mutated);
    }
}

}  // namespace
