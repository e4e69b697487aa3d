// installfrompath and installcdp, run through the dispatcher, against the in-process
// stand-in daemon: the walk sends one request 39 per asset folder (never below one, never
// through a symbolic link, at most 512 levels down), the argument checks and their
// messages, the archive path sent as request 40 made absolute, and a folder installed for
// real by the daemon's own answer, and every folder or archive named when the link is gone.
#include "kav_requests_test_support.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "client/commands/install_commands.h"
#include "engine/temp_folder.h"
#include "install_test_support.h"

namespace {

namespace fs = std::filesystem;
using KodrinUtil::InstallFromPath;

// The payload of request 39 or 40: String path, int32 option, byte has-handler.
Bytes InstallPayload(const std::string& path, int32_t option, bool hasHandler) {
    return Concat({Str(path), Le32(static_cast<uint32_t>(option)), Byte(hasHandler ? 1 : 0)});
}

// A handler whose every answer is 4: one question cancels it.
class CancellingHandler : public KodrinUtil::ConflictQuestionHandler {
  protected:
    int32_t AskUser(const Kiv::String&, const KUID&) override {
        return KodrinUtil::kConflictCancel;
    }
};

class InstallCommandsTest : public KAVRequestsTest {
  protected:
    void SetUp() override {
        KAVRequestsTest::SetUp();
        Answer(39, Concat({KuidBytes(12, 1, 0), Byte(1)}));
    }
    // An asset folder holding the config file of that name.
    void MakeAsset(const std::string& relative, const char* config = "config.txt") {
        folder_.MakeFolder(relative);
        folder_.WriteFile(relative + "/" + config, "kuid <kuid:12:1>\r\n");
    }
    std::vector<Bytes> SentFolders() { return Payloads(39); }
    Kiv::File::Path At(const std::string& relative) const {
        return Kiv::File::Path(folder_.Path(relative).c_str());
    }

    TempFolder folder_;
};

TEST_F(InstallCommandsTest, EachAssetFolderGoesToTheDaemonOnce) {
    MakeAsset("tree/a");
    MakeAsset("tree/a/inner");               // inside an asset folder: not searched
    MakeAsset("tree/b/c/d", "config.chump"); // the compiled config alone counts
    folder_.WriteFile("tree/b/notes.txt", "not an asset");
    MakeAsset("tree/e/f");
    folder_.MakeFolder("tree/g");
    ResultsLog log;
    bool result = false;

    EXPECT_EQ(InstallFromPath(At("tree"), log, 0, result, nullptr), 3);
    EXPECT_EQ(SentFolders(),
              (std::vector<Bytes>{InstallPayload(folder_.Path("tree/a"), 0, false),
                                  InstallPayload(folder_.Path("tree/b/c/d"), 0, false),
                                  InstallPayload(folder_.Path("tree/e/f"), 0, false)}));
    EXPECT_TRUE(result); // the daemon's byte

    // A folder that is itself an asset folder is sent alone, whatever it holds.
    EXPECT_EQ(InstallFromPath(At("tree/a"), log, 7, result, nullptr), 1);
    EXPECT_EQ(SentFolders().back(), InstallPayload(folder_.Path("tree/a"), 7, false));
    EXPECT_EQ(InstallFromPath("", log, 0, result, nullptr), 0);
    EXPECT_EQ(SentFolders().size(), 4u);
}

// The argument keeps its case: beside "Mixed" a folder "mixed" is another folder, and the
// daemon must be sent the one the user named.
TEST_F(InstallCommandsTest, CommandSendsThePathInItsCaseAndSucceedsWithAnAssetFound) {
    MakeAsset("Mixed/Asset");
    MakeAsset("mixed/Other");
    ResultsLog log;

    EXPECT_EQ(install_test::Run("installFromPath", folder_.Path("Mixed").c_str(), log), 0);
    EXPECT_EQ(SentFolders(),
              std::vector<Bytes>{InstallPayload(folder_.Path("Mixed") + "/Asset", 0, false)});
    EXPECT_EQ(log.EntryCount(), 0);
}

TEST_F(InstallCommandsTest, TreeWithoutAssetFoldersFailsSayingSo) {
    folder_.MakeFolder("bare/x/y");
    folder_.WriteFile("bare/x/readme.txt", "none here");
    ResultsLog log;
    bool result = true;

    EXPECT_EQ(InstallFromPath(At("bare"), log, 0, result, nullptr), 0);
    EXPECT_EQ(log.EntryCount(), 0);
    EXPECT_EQ(install_test::Run("installfrompath", folder_.Path("bare").c_str(), log), -1);
    EXPECT_TRUE(SentFolders().empty());
    EXPECT_EQ(install_test::EntryLines(log),
              std::vector<std::string>{"3 No asset folder (one holding config.txt or config.chump) "
                                       "was found at or below " + folder_.Path("bare") + "."});
}

// A folder the daemon answers without installing it (the null KUID) fails the command; the
// daemon's own entry says why, and an error of the command's own stands in when it gave none.
TEST_F(InstallCommandsTest, AFolderTheDaemonDidNotInstallFailsTheCommand) {
    MakeAsset("some/a");
    MakeAsset("some/b");
    const Bytes refused = Concat({KuidBytes(-1, -1, 127), Byte(0)});
    const Bytes installed = Concat({KuidBytes(12, 1, 0), Byte(1)});
    int answered = 0;
    server_->SetHook(39, [&](const DaemonRequest&, DaemonResponse& response) {
        response.reply = ++answered == 1 ? installed : refused;
    });
    ResultsLog log;
    EXPECT_EQ(install_test::Run("installfrompath", folder_.Path("some").c_str(), log), -1);
    EXPECT_EQ(install_test::EntryLines(log),
              std::vector<std::string>{"3 1 of the 2 asset folders found were not installed."});
}

TEST_F(InstallCommandsTest, SymbolicLinksAreNeverSearchedSoALoopEnds) {
    MakeAsset("loop/x/asset");
    fs::create_directory_symlink(folder_.Path("loop"), folder_.Path("loop/x/up"));
    fs::create_directory_symlink(folder_.Path("loop/x"), folder_.Path("loop/x/asset2"));
    // A link to an asset folder is an asset folder: it is sent, not searched.
    MakeAsset("elsewhere/linked");
    fs::create_directory_symlink(folder_.Path("elsewhere/linked"), folder_.Path("loop/link"));
    ResultsLog log;
    bool result = false;

    EXPECT_EQ(InstallFromPath(At("loop"), log, 0, result, nullptr), 2);
    EXPECT_EQ(SentFolders(),
              (std::vector<Bytes>{InstallPayload(folder_.Path("loop/link"), 0, false),
                                  InstallPayload(folder_.Path("loop/x/asset"), 0, false)}));
}

TEST_F(InstallCommandsTest, SearchStopsBelow512Levels) {
    // The asset lies 513 levels below the argument, one level past the search.
    std::string deep = "deep";
    for (int level = 0; level < 513; ++level)
        deep += "/d";
    MakeAsset(deep);
    MakeAsset("deep/shallow");
    ResultsLog log;
    bool result = false;

    EXPECT_EQ(InstallFromPath(At("deep"), log, 0, result, nullptr), 1);
    EXPECT_EQ(SentFolders(),
              std::vector<Bytes>{InstallPayload(folder_.Path("deep/shallow"), 0, false)});
    ASSERT_EQ(log.EntryCount(), 1);
    EXPECT_EQ(install_test::EntryLines(log)[0].rfind("3 The folders below /", 0), 0u);
}

TEST_F(InstallCommandsTest, CancelledHandlerStopsTheWalkAfterTheEntry) {
    MakeAsset("two/a");
    MakeAsset("two/b");
    CancellingHandler handler;
    handler.AskConflictAction("prompt", "", KUID(12, 1, 0), nullptr);
    ASSERT_TRUE(handler.IsCancelled());
    ResultsLog log;
    bool result = false;

    EXPECT_EQ(InstallFromPath(At("two"), log, 0, result, &handler), 1);
    EXPECT_EQ(SentFolders(), std::vector<Bytes>{InstallPayload(folder_.Path("two/a"), 0, true)});
}

TEST_F(InstallCommandsTest, MissingOrInvalidArgumentsAreRefusedBeforeTheDaemon) {
    struct Case {
        const char* word;
        const char* argument;
        const char* message;
    };
    const std::string missing = folder_.Path("missing");
    const Case cases[] = {
        {"installCDP", nullptr, "Missing input filepath parameter."},
        {"installcdp", "", "Missing input filepath parameter."},
        {"installfrompath", nullptr, "Missing input path parameter."},
        {"installfrompath", "", "Missing input path parameter."},
        {"installfrompath", missing.c_str(), "Invalid input path."},
    };
    for (const Case& c : cases) {
        ResultsLog log;
        EXPECT_EQ(install_test::Run(c.word, c.argument, log), -1) << c.message;
        EXPECT_EQ(install_test::EntryLines(log),
                  std::vector<std::string>{std::string("3 ") + c.message});
    }
    EXPECT_TRUE(Payloads(39).empty());
    EXPECT_TRUE(Payloads(40).empty());
}

TEST_F(InstallCommandsTest, InstallCDPSendsTheAbsolutePathAndFollowsTheDaemonsResult) {
    const std::string cwd = Kiv::File::GetCwd().Std();
    struct Case {
        const char* argument;
        std::string sent;
        Bytes reply;
        int result;
    };
    const Case cases[] = {
        {"/Some/Where/A.cdp", "/Some/Where/A.cdp", Concat({Le32(2), Byte(1)}), 0},
        // Some assets installed, but not all: a failure.
        {"Rel/B.CDP", cwd + "/Rel/B.CDP", Concat({Le32(1), Byte(0)}), -1},
        {"/x/nothing.cdp", "/x/nothing.cdp", Concat({Le32(0), Byte(0)}), -1},
    };
    for (const Case& c : cases) {
        Answer(40, c.reply);
        ResultsLog log;
        EXPECT_EQ(install_test::Run("installCDP", c.argument, log), c.result) << c.argument;
        EXPECT_EQ(Payloads(40).back(), InstallPayload(c.sent, 2, false)) << c.argument;
        const std::vector<std::string> said =
            c.result == 0 ? std::vector<std::string>{}
                          : std::vector<std::string>{"3 Not every asset of the archive " + c.sent +
                                                     " was installed."};
        EXPECT_EQ(install_test::EntryLines(log), said) << c.argument;
    }
    TakeLinkDown();
    ResultsLog log;
    EXPECT_EQ(install_test::Run("installcdp", "/a.cdp", log), -1);
    EXPECT_EQ(install_test::EntryLines(log),
              std::vector<std::string>{"3 The archive /a.cdp was not installed: the connection "
                                       "to the asset database was lost."});
}

// With the daemon gone every asset folder is named as not installed, and the command fails
// although folders were found.
TEST_F(InstallCommandsTest, InstallFromPathWithoutTheLinkNamesEveryFolderAndFails) {
    MakeAsset("gone/a");
    MakeAsset("gone/b");
    TakeLinkDown();
    ResultsLog log;
    EXPECT_EQ(install_test::Run("installfrompath", folder_.Path("gone").c_str(), log), -1);
    std::vector<std::string> lines = install_test::EntryLines(log);
    std::sort(lines.begin(), lines.end());
    const std::string cause = " was not installed: the connection to the asset database was lost.";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "3 The asset folder " + folder_.Path("gone/a") + cause,
                         "3 The asset folder " + folder_.Path("gone/b") + cause}));
}

TEST_F(InstallCommandsTest, DaemonInstallsTheFolderAndReportsIntoTheCommandsLog) {
    server_->SetHook(39, nullptr);
    folder_.MakeFolder("inst");
    auto table = std::make_shared<AssetTable>(folder_.Path("inst"));
    std::string error;
    ASSERT_TRUE(table->Open(error)) << error;
    server_->SetAssetTable(table);
    folder_.MakeFolder("src/tank");
    folder_.WriteFile("src/tank/config.txt", "kuid <kuid:12:7>\r\nusername \"Tank\"\r\n");
    folder_.WriteFile("src/tank/body.pm", "mesh");
    ResultsLog log;

    EXPECT_EQ(install_test::Run("installfrompath", folder_.Path("src").c_str(), log), 0);
    EXPECT_EQ(install_test::EntryLines(log), std::vector<std::string>{"4 Installed."});
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/kuid_12_7_0/body.pm"), "mesh");
    KAVAssetInfo info;
    EXPECT_TRUE(KAVClient::GetAssetInfo(KUID(12, 7, 0), info, -1));
    EXPECT_TRUE(KAVClient::IsAssetLocal(KUID(12, 7, 0)));
}

} // namespace
