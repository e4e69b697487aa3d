// The download-service helpers and `fpxdeleteall` against the in-process stand-in daemon:
// escaping, KUID lists, one asset's own archive and a thumbnail written beside the
// service's archive, the bounded passes that fetch missing dependencies, and deleting every
// local asset.
#include <fstream>
#include <map>
#include <sstream>

#include "client/commands/fpx_commands.h"
#include "client/startup_objects.h"
#include "command_test_support.h"
#include "foundation/cdp/cdp_archive.h"

namespace {

using Lines = std::vector<std::string>;

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FPXText, EscapeTextMarksLineBreaksAndDoublesBackslashes) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a\nb", "a\\nb"},
        {"a\r\nb", "a\\nb"},
        {"a\n\rb", "a\\nb"},
        {"a\n\nb", "a\\n\\nb"},
        {"a\r\rb", "a\\n\\nb"},
        {"\n\r\n", "\\n\\n"},
        {"end\r", "end\\n"},
        {"c:\\wagons\\", "c:\\\\wagons\\\\"},
        {"\\n", "\\\\n"},
    };
    for (const auto& [text, escaped] : cases) EXPECT_EQ(KodrinUtil::EscapeText(text).Std(), escaped);
    EXPECT_EQ(KodrinUtil::EscapeText(nullptr).Std(), "");
}

TEST(FPXText, JoinKUIDTagsSeparatesTagsWithCommaAndBlank) {
    KUIDList list;
    EXPECT_EQ(std::string(KodrinUtil::JoinKUIDTags(list).View()), "");
    list.PushBack(KUID(12, 1, 0));
    EXPECT_EQ(std::string(KodrinUtil::JoinKUIDTags(list).View()), "<kuid:12:1>");
    list.PushBack(KUID(12, 2, 3));
    list.PushBack(KUID(-5, 7, 127));
    EXPECT_EQ(std::string(KodrinUtil::JoinKUIDTags(list).View()), "<kuid:12:1>, <kuid2:12:2:3>, <kuid:-5:7>");
}

TEST(FPXFiles, WriteThumbnailWritesTheBytesOrSaysItCouldNot) {
    TemporaryFolder folder;
    const std::string bytes("\xFF\xD8\xFF\x00jpeg", 8);
    const ACSRawDataRef data = ACSRawDataRef::CopyBytes(8, bytes.data());
    const std::string path = folder.Path("kuid 12 1.jpg");
    EXPECT_TRUE(KodrinUtil::WriteThumbnail(data, path.c_str()));
    EXPECT_EQ(FileText(path), bytes);
    EXPECT_FALSE(KodrinUtil::WriteThumbnail(data, folder.Path("missing/kuid 12 1.jpg").c_str()));
}

class FPXCommandTest : public CommandTest {
protected:
    void TearDown() override {
        KodrinUtil::FreeDownloadServiceMarker();
        CommandTest::TearDown();
    }
};

TEST_F(FPXCommandTest, WriteAssetToCDPSavesTheAssetWithItsChecksum) {
    TemporaryFolder folder;
    ACSChunkRef config;
    config.SetNamedTagKUID("kuid", KUID(12, 1, 0));
    config.SetNamedTagString("kind", "scenery");
    config.SetNamedTagString("username", "Shed");
    Answer(48, SoupBytes(config));
    ResultsLog log;
    const std::string path = folder.Path("kuid 12 1.cdp");
    EXPECT_TRUE(KodrinUtil::WriteAssetToCDP(KUID(12, 1, 0), path.c_str(), log));
    EXPECT_EQ(OnlyPayload(48), Concat({KuidBytes(12, 1, 0), Le32(3)}));
    EXPECT_EQ(log.EntryCount(), 0);
    CDPArchive archive;
    ASSERT_TRUE(archive.Open("", path.c_str()).IsEmpty());
    ASSERT_EQ(archive.CountAssets(), 1);
    EXPECT_TRUE(archive.GetAsset(0).VerifyChecksum());

    EXPECT_TRUE(KodrinUtil::WriteAssetToCDP(KUID(12, 1, 0), folder.Path("no/such/a.cdp").c_str(), log));
    ASSERT_EQ(log.ErrorCount(), 1);
    for (const ResultsLogEntry& entry : log.Entries())
        EXPECT_EQ(entry.text.Std().rfind("Unable to write asset to CDP: ", 0), 0u) << entry.text.Std();
}

// The daemon lists dependencies per pass; the installer answers per dependency. A daemon
// that keeps listing a dependency that installs but never turns local is left after the
// pass that installed nothing new, and one that lists something new every pass after the
// first list's length + 1 passes.
TEST_F(FPXCommandTest, MissingDependenciesAreFetchedInBoundedPasses) {
    const KUID a(12, 1, 0), b(12, 2, 0), c(12, 3, 0);
    struct Case {
        const char* name;
        std::vector<std::vector<KUID>> lists;  // the daemon's list per pass (the last repeats)
        std::map<int32_t, bool> installs;      // content id: install succeeds
        int32_t passes;
        size_t installCalls;
    };
    const Case cases[] = {
        {"the last fails", {{a, b}}, {{1, true}, {2, false}}, 1, 2},
        {"nothing listed", {{}}, {}, 1, 0},
        {"installed, never local", {{a}}, {{1, true}}, 2, 2},
        {"a new one each pass", {{a}, {b}, {c}}, {{1, true}, {2, true}, {3, true}}, 2, 2},
        {"dependencies of dependencies", {{a, b}, {a, b, c}, {a, b, c}},
         {{1, true}, {2, true}, {3, true}}, 3, 8},
    };
    KodrinUtil::CreateDownloadServiceMarker();
    for (const Case& test : cases) {
        ForgetPayloads();
        size_t pass = 0;
        AnswerEach(42, [&test, &pass](const DaemonRequest&, DaemonResponse& response) {
            const std::vector<KUID>& list = test.lists[std::min(pass++, test.lists.size() - 1)];
            Bytes reply = Le32(static_cast<uint32_t>(list.size()));
            for (const KUID& kuid : list) {
                const Bytes wire = KuidWire(kuid);
                reply.insert(reply.end(), wire.begin(), wire.end());
            }
            response.reply = reply;
        });
        size_t calls = 0;
        const int32_t passes = KodrinUtil::FetchMissingDependencies(
            KUID(12, 9, 0), [&test, &calls](const KUID& dependency) {
                ++calls;
                return test.installs.at(dependency.contentId);
            });
        EXPECT_EQ(passes, test.passes) << test.name;
        EXPECT_EQ(calls, test.installCalls) << test.name;
        const std::vector<Bytes> asked = Payloads(42);
        ASSERT_EQ(asked.size(), static_cast<size_t>(test.passes)) << test.name;
        EXPECT_EQ(asked[0], Concat({Le32(1), KuidBytes(12, 9, 0)}));
    }
    KodrinUtil::FreeDownloadServiceMarker();
    ForgetPayloads();
    EXPECT_EQ(KodrinUtil::FetchMissingDependencies(KUID(12, 9, 0), [](const KUID&) { return true; }),
              0);
    EXPECT_TRUE(Payloads(42).empty());
}

// The query is the single condition "local" ('bool', type 0); each asset is deleted with
// the byte 1, and failed deletions change nothing.
TEST_F(FPXCommandTest, DeleteAllDeletesEveryLocalAssetAndSucceeds) {
    Answer(2, Concat({Le32(2), KuidBytes(12, 1, 0), KuidBytes(12, 2, 3)}));
    Answer(36, Byte(0));
    EXPECT_EQ(Run({"fpxdeleteall"}), 0);
    EXPECT_EQ(OnlyPayload(2), Concat({Le32(0x626F6F6C), Le32(0)}));
    EXPECT_EQ(Payloads(36), (std::vector<Bytes>{Concat({KuidBytes(12, 1, 0), Byte(1)}),
                                                Concat({KuidBytes(12, 2, 3), Byte(1)})}));
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(out_, "");
}

}  // namespace
