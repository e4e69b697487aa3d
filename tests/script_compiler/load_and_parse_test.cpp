// GSCompiler::LoadAndParse: the search along the include list, the refusals with their
// messages, the library id pair, encrypted sources and the preamble, and scanner failures
// counted as one error instead of ending the process.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "parse_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/gs_parser_actions.h"
#include "script_compiler/script_file.h"
#include "script_compiler/script_scramble_table.h"
#include "script_folder.h"

namespace {

class LoadAndParseTest : public testing::Test {
protected:
    void SetUp() override {
        GSIncludeList::Clear();
        arena_.Reset(nullptr, &log_);
    }
    void TearDown() override {
        GSIncludeList::Clear();
        ScriptFile::SetPreamble(Kiv::PString());
    }
    void Search(const std::string& folder) {
        GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder.c_str()), Kiv::PString()));
    }
    // The ".gse" form of text in folder/name.
    void WriteEncrypted(const std::string& name, const std::string& text) {
        const std::string plain = folder_.Write(name + ".tmp.gs", text);
        ScriptFile file;
        ASSERT_TRUE(file.Load(nullptr, plain.c_str()));
        ASSERT_TRUE(file.Save(nullptr, folder_.Path(name).c_str()));
    }

    ScriptFolder folder_;
    CompileArena arena_;
    GSCompileLog log_;
};

TEST_F(LoadAndParseTest, ParsesTheSourceAndNamesItByItsTextAndFileName) {
    folder_.Write("main.gs", "class A {};");
    Search(folder_.Path());
    EXPECT_EQ(GSCompiler::LoadAndParse("Main.GS", arena_), 0);
    EXPECT_EQ(DumpChain(arena_.root), "class(name:A)");
    EXPECT_STREQ(arena_.fileName, "main.gs");  // messages name it in lower case
    EXPECT_EQ(arena_.id1, 0x6C1EDED6u);  // CRC-32 of "class A {};"
    EXPECT_EQ(arena_.id2, 0x2A1D0DA4u);  // CRC-32 of "main.gs"
    EXPECT_EQ(arena_.errorCount, 0);
    EXPECT_TRUE(log_.IsEmpty());
}

TEST_F(LoadAndParseTest, TheFileNameOfTheSecondIdIsTakenAfterTheLastSeparator) {
    folder_.Write("sub/lib.gs", "class A {};");
    Search(folder_.Path());
    for (const char* name : {"sub/lib.gs", "sub\\LIB.GS"}) {
        arena_.Reset(nullptr, &log_);
        ASSERT_EQ(GSCompiler::LoadAndParse(name, arena_), 0) << name;
        EXPECT_EQ(arena_.id2, 0x1A9AF23Au) << name;  // CRC-32 of "lib.gs"
    }
}

TEST_F(LoadAndParseTest, EachFolderIsSearchedForTheSourceBeforeItsEncryptedForm) {
    ScriptFolder second;
    second.Write("a.gs", "class Second {};");
    WriteEncrypted("a.gse", "class FirstEncrypted {};");
    Search(folder_.Path());
    Search(second.Path());
    ASSERT_EQ(GSCompiler::LoadAndParse("a.gs", arena_), 0);
    EXPECT_EQ(DumpChain(arena_.root), "class(name:FirstEncrypted)");

    folder_.Write("a.gs", "class FirstPlain {};");
    arena_.Reset(nullptr, &log_);
    ASSERT_EQ(GSCompiler::LoadAndParse("a.gs", arena_), 0);
    EXPECT_EQ(DumpChain(arena_.root), "class(name:FirstPlain)");
}

TEST_F(LoadAndParseTest, AnEncryptedSourceHasTheIdOfItsPlainText) {
    WriteEncrypted("main.gse", "class A {};");
    Search(folder_.Path());
    ASSERT_EQ(GSCompiler::LoadAndParse("main.gs", arena_), 0);
    EXPECT_EQ(arena_.id1, 0x6C1EDED6u);
}

TEST_F(LoadAndParseTest, ThePreambleIsParsedAndCountedInLinesButNotInTheId) {
    folder_.Write("main.gs", "class A {};");
    Search(folder_.Path());
    ScriptFile::SetPreamble(Kiv::PString("class P {};\n\n"));
    ASSERT_EQ(GSCompiler::LoadAndParse("main.gs", arena_), 0);
    EXPECT_EQ(DumpChain(arena_.root), "[class(name:P); class(name:A)]");
    EXPECT_EQ(arena_.root->next->child[0]->line, 3);
    EXPECT_EQ(arena_.id1, 0x6C1EDED6u);
}

TEST_F(LoadAndParseTest, RefusedSourcesCountOneErrorWithTheirMessage) {
    folder_.Write("bom.gs", "\xEF\xBB\xBF" "class A {};");
    folder_.Write("bomonly.gs", "\xEF\xBB\xBF");
    folder_.Write("twobytes.gs", "\xEF\xBB");
    folder_.Write("bad.gse", "not a protected file at all");
    folder_.Write("empty.gs", "");
    Search(folder_.Path());
    struct Case {
        const char* name;
        std::vector<std::string> messages;
    } const cases[] = {
        {"missing.gs", {"Could not read file (null) missing.gs."}},
        {"bom.gs", {"'bom.gs' appears to be UTF-8 encoded, please resave as ANSI."}},
        {"bomonly.gs", {"'bomonly.gs' appears to be UTF-8 encoded, please resave as ANSI."}},
        {"twobytes.gs", {"twobytes.gs(1) : parse error, line 1"}},
        {"bad.gse", {"Could not read file (null) bad.gse."}},
        {"empty.gs", {"empty.gs(1) : parse error, line 1"}},
    };
    for (const Case& c : cases) {
        arena_.Reset(nullptr, &log_);
        EXPECT_EQ(GSCompiler::LoadAndParse(c.name, arena_), 1) << c.name;
        EXPECT_EQ(arena_.errorCount, 1) << c.name;
        EXPECT_EQ(TakeMessages(log_), c.messages) << c.name;
    }
}

TEST_F(LoadAndParseTest, AnEncryptedSourceThatDoesNotDecryptIsOneErrorNamingTheFileAndWhy) {
    const Bytes damaged = {1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4};
    folder_.Write("d.gse", damaged);
    // A payload whose length word unscrambles to 0: a protected empty text.
    Bytes empty = {1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) empty.push_back(kScriptScrambleTable[i]);
    folder_.Write("e.gse", empty);
    Search(folder_.Path());
    const struct {
        const char* name;
        std::string message;
    } cases[] = {
        {"d.gs", "Could not read file " + folder_.Path("d.gse") + ": its content is damaged."},
        {"e.gs", "Could not read file " + folder_.Path("e.gse") + ": it holds no text."},
    };
    for (const auto& c : cases) {
        arena_.Reset(nullptr, &log_);
        EXPECT_EQ(GSCompiler::LoadAndParse(c.name, arena_), 1) << c.name;
        EXPECT_EQ(arena_.errorCount, 1) << c.name;
        EXPECT_EQ(TakeMessages(log_), std::vector<std::string>{c.message}) << c.name;
    }
}

TEST_F(LoadAndParseTest, TheMissingFileMessageNamesTheLastArchiveTried) {
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder_.Path().c_str()), Kiv::PString("pack.cdp")));
    EXPECT_EQ(GSCompiler::LoadAndParse("x.gs", arena_), 1);
    EXPECT_EQ(TakeMessages(log_), std::vector<std::string>{"Could not read file pack.cdp x.gs."});
}

TEST_F(LoadAndParseTest, TokensLongerThanTheScannerBufferAreParsed) {
    const std::string text = "// " + std::string(20000, '-') + "\nclass A { string s = \"" +
                             std::string(30000, 's') + "\"; };";
    folder_.Write("long.gs", text);
    Search(folder_.Path());
    ASSERT_EQ(GSCompiler::LoadAndParse("long.gs", arena_), 0);
    // The literal's content is cut to what one unquoted text holds.
    EXPECT_EQ(std::string(arena_.root->child[2]->child[1]->child[1]->value.text),
              std::string(2046, 's'));
}

class FailingBuffer : public std::streambuf {
protected:
    int_type underflow() override { throw std::ios_base::failure("disk gone"); }
};

TEST_F(LoadAndParseTest, AScannerFailureIsOneCountedErrorAndLeavesNothingCurrent) {
    arena_.fileName = "f.gs";
    FailingBuffer failing;
    std::istream input(&failing);
    EXPECT_EQ(GSScanAndParse(arena_, input), 1);
    EXPECT_EQ(arena_.errorCount, 1);
    EXPECT_EQ(TakeMessages(log_),
              std::vector<std::string>{"f.gs(1) : input in flex scanner failed"});
    EXPECT_EQ(GSCompiler::CurrentArena(), nullptr);
    EXPECT_EQ(GSCompiler::CurrentScanner(), nullptr);

    // The next parse starts clean.
    std::istringstream good("class A {};");
    arena_.Reset(nullptr, &log_);
    EXPECT_EQ(GSScanAndParse(arena_, good), 0);
    EXPECT_EQ(arena_.errorCount, 0);
}

}  // namespace
