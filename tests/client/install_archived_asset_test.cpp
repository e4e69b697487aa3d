// Installing one archived asset against the in-process stand-in daemon over a real asset
// table: each branch (a new asset, an installed one with and without a question handler,
// built in, open for editing, files that cannot be written) is checked by the requests the
// daemon's record shows, the log's entries, the question asked and the files written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/commands/install_archived_asset.h"
#include "foundation/soup/chunk.h"
#include "foundation/text/interface_text.h"
#include "host_test_support.h"

namespace {

namespace fs = std::filesystem;
using KodrinUtil::InstallArchivedAsset;

const KUID kInstalled(12, 1, 0);
const KUID kEditing(12, 2, 0);
const KUID kBuiltIn(12, 3, 0);
const KUID kNew(12, 50, 0);
const KUID kBroken(12, 51, 0);

// A built-in asset cannot be seeded: its table record is written before the daemon opens.
constexpr const char* kBuiltInTable = R"(assets
{
  0
  {
    kuid <kuid:12:3>
    location "local"
    folder "bridge"
    editing 0
    name "Bridge"
    flags 25,0,0,0
  }
}
)";

void AddBlob(ACSChunkRef& folder, const char* name, const std::string& bytes) {
    folder.EnsureContainer();
    ACSChunkRef holder;
    holder.EnsureContainer();
    const ACSRawDataRef value = ACSRawDataRef::CopyBytes(
        static_cast<uint32_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.data()));
    folder->AddChild(name, holder->CreateTag(ACSTagType::Blob, value));
}

// An archive entry: its config, and a files tree holding "notes.txt".
CDPAsset ArchivedAsset(const KUID& kuid, const char* compression, const std::string& notes) {
    ACSChunkRef config;
    config.EnsureContainer();
    config.SetNamedTagKUID("kuid", kuid);
    config.SetNamedTagString("username", "Archived_asset");
    config.SetNamedTagString("kind", "mesh");
    if (*compression) config.SetNamedTagString("compression", compression);
    ACSChunkRef files;
    AddBlob(files, "notes.txt", notes);
    config.SetNamedSoup("files", files);
    return CDPAsset(config);
}

class FixedAnswer : public KodrinUtil::ConflictQuestionHandler {
  public:
    explicit FixedAnswer(int32_t answer) : answer_(answer) {}
    std::vector<std::string> prompts;

  protected:
    int32_t AskUser(const Kiv::String& prompt, const KUID&) override {
        prompts.push_back(prompt.Std());
        return answer_;
    }

  private:
    int32_t answer_;
};

std::string Text(const char* key) {
    return GetInterfaceText(Kiv::PString(key)).Std();
}

class InstallArchivedAssetTest : public HostDaemonTest {
  protected:
    void SetUp() override {
        HostDaemonTest::SetUp();
        folder_.MakeFolder("inst/UserData/local/bridge");
        folder_.WriteFile("inst/UserData/local/bridge/config.txt", "kuid <kuid:12:3>\n");
        folder_.WriteFile("inst/UserData/kavtable.txt", kBuiltInTable);
        StartDaemon(kTwoWagonsSeed);
        std::string why;
        ASSERT_TRUE(table_->OpenForEdit(kEditing, &why)) << why;
    }

    struct Outcome {
        KUID installed;
        std::vector<int> requests;
        std::vector<std::string> entries;
    };
    Outcome Install(const CDPAsset& asset, int32_t options,
                    KodrinUtil::ConflictQuestionHandler* handler = nullptr) {
        const size_t mark = Mark();
        ResultsLog log;
        bool committed = false;
        Outcome outcome;
        outcome.installed = InstallArchivedAsset(asset, log, options, committed, handler);
        outcome.requests = RequestIdsSince(mark);
        outcome.entries = EntryLines(log);
        return outcome;
    }
    std::string FileOf(const KUID& kuid, const char* name) {
        const std::optional<AssetRecord> record = table_->Find(kuid);
        if (!record) return "<unknown>";
        return folder_.ReadFile("inst/UserData/" +
                                std::string(record->editing ? "editing/" : "local/") +
                                record->folder + "/" + name);
    }
};

TEST_F(InstallArchivedAssetTest, ANewAssetIsCreatedFilledCommittedAndMarkedFavourite) {
    const Outcome outcome =
        Install(ArchivedAsset(kNew, "", "first"), KodrinUtil::kInstallCommitted);
    EXPECT_EQ(outcome.installed, kNew);
    // record, create (the handle names the folder), commit, favourite, close.
    EXPECT_EQ(outcome.requests, (std::vector<int>{21, 35, 34, 50, 31}));
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"4 <kuid:12:50>"}));
    const std::optional<AssetRecord> record = table_->Find(kNew);
    ASSERT_TRUE(record);
    EXPECT_FALSE(record->editing);
    EXPECT_EQ(FileOf(kNew, "notes.txt"), "first");
    EXPECT_TRUE(folder_.Exists("inst/UserData/local/" + record->folder + "/config.chump"));
}

// Commit flags: 6 with a verified checksum, plus 8 when asked to pass it on.
TEST_F(InstallArchivedAssetTest, TheCommitCarriesTheChecksumAndPassOnFlags) {
    CDPAsset asset = ArchivedAsset(kNew, "", "first");
    asset.SetChecksum();
    const size_t mark = Mark();
    ResultsLog log;
    bool committed = false;
    EXPECT_EQ(InstallArchivedAsset(asset, log,
                                   KodrinUtil::kInstallCommitted | KodrinUtil::kInstallCommitPassOn,
                                   committed, nullptr),
              kNew);
    const std::vector<std::string> commits = PayloadsSince(mark, 34);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].substr(16), "0e000000"); // after the 8-byte handle: 6 | 8
}

TEST_F(InstallArchivedAssetTest, AnInstalledAssetWithoutHandlerIsRewrittenAndLeftOpen) {
    folder_.WriteFile("inst/UserData/local/coal_wagon/old.txt", "stale");
    const Outcome outcome =
        Install(ArchivedAsset(kInstalled, "", "second"), KodrinUtil::kInstallCommitted);
    EXPECT_EQ(outcome.installed, kInstalled);
    // record, open for edit, favourite, close: no commit, the config stays "config.txt".
    EXPECT_EQ(outcome.requests, (std::vector<int>{21, 30, 50, 31}));
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"4 <kuid:12:1>"}));
    const std::optional<AssetRecord> record = table_->Find(kInstalled);
    ASSERT_TRUE(record && record->editing);
    EXPECT_EQ(FileOf(kInstalled, "notes.txt"), "second");
    EXPECT_EQ(FileOf(kInstalled, "old.txt"), ""); // the old tree was deleted first
    EXPECT_NE(FileOf(kInstalled, "config.txt"), "");
}

// The question depends on the asset's state; skip leaves it untouched, replace rewrites it.
TEST_F(InstallArchivedAssetTest, TheHandlerIsAskedThePromptOfTheAssetsState) {
    struct Case {
        KUID kuid;
        int32_t answer;
        const char* prompt;
        std::vector<int> requests;
        bool installed;
    };
    const Case cases[] = {
        {kInstalled, 0, "$kav_prompt_alreadyinstalled", {21, 21}, false},
        {kInstalled, 4, "$kav_prompt_alreadyinstalled", {21, 21}, false},
        {kInstalled, 2, "$kav_prompt_alreadyinstalled", {21, 21, 30, 50, 31}, true},
        {kEditing, 3, "$kav_prompt_openforedit", {21, 21, 30, 50, 31}, true},
        {kBuiltIn, 1, "$kav_prompt_builtin", {21, 21}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kuid.ToTag().View()) + " answer " + std::to_string(c.answer));
        FixedAnswer handler(c.answer);
        const Outcome outcome =
            Install(ArchivedAsset(c.kuid, "", "third"), KodrinUtil::kInstallCommitted, &handler);
        EXPECT_EQ(handler.prompts, std::vector<std::string>{Text(c.prompt)});
        EXPECT_EQ(outcome.requests, c.requests);
        EXPECT_EQ(outcome.installed, c.installed ? c.kuid : KUID::Null());
        EXPECT_EQ(FileOf(c.kuid, "notes.txt") == "third", c.installed);
    }
}

// Files that cannot be written: the new asset is reverted (33) before its handle closes.
TEST_F(InstallArchivedAssetTest, FilesThatCannotBeWrittenRevertTheAsset) {
    const Outcome outcome =
        Install(ArchivedAsset(kBroken, "LZSS", "xy"), KodrinUtil::kInstallCommitted);
    EXPECT_TRUE(outcome.installed.IsNull());
    EXPECT_EQ(outcome.requests, (std::vector<int>{21, 35, 33, 31}));
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"3 <kuid:12:51>"}));
    EXPECT_FALSE(table_->Find(kBroken));
}

// A config that cannot be written (a folder of the archive takes its name) is a failed
// install too: the asset must not be committed without its config.
TEST_F(InstallArchivedAssetTest, AConfigThatCannotBeWrittenRevertsTheAsset) {
    CDPAsset asset = ArchivedAsset(kBroken, "", "fifth");
    ACSChunkRef files = asset.GetFiles();
    ACSChunkRef blocker;
    AddBlob(blocker, "inside.txt", "x");
    files.SetNamedSoup("config.chump", blocker);
    const Outcome outcome = Install(asset, KodrinUtil::kInstallCommitted);
    EXPECT_TRUE(outcome.installed.IsNull());
    EXPECT_EQ(outcome.requests, (std::vector<int>{21, 35, 33, 31}));
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"3 <kuid:12:51>"}));
    EXPECT_FALSE(table_->Find(kBroken));
}

// The daemon gives no handle (a KUID of another user cannot be created here): nothing is
// written, and the error names the asset.
TEST_F(InstallArchivedAssetTest, NoHandleIsAWriteError) {
    server_->SetHook(35, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply.assign(8, 0xFF); // the "none" handle
    });
    const Outcome outcome =
        Install(ArchivedAsset(kNew, "", "first"), KodrinUtil::kInstallCommitted);
    EXPECT_TRUE(outcome.installed.IsNull());
    EXPECT_EQ(outcome.requests, (std::vector<int>{21, 35}));
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"3 <kuid:12:50>"}));
}

// A handle whose folder the daemon does not name must not make the install write into the
// working folder: it is reverted and reported like a missing handle.
TEST_F(InstallArchivedAssetTest, AHandleWithoutAFolderIsRevertedAndNothingIsWritten) {
    server_->SetHook(30, [](const DaemonRequest&, DaemonResponse& response) {
        // handle 7, then an empty location and path
        response.reply = {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    });
    const fs::path before = fs::current_path();
    const Outcome outcome =
        Install(ArchivedAsset(kInstalled, "", "fourth"), KodrinUtil::kInstallCommitted);
    EXPECT_TRUE(outcome.installed.IsNull());
    EXPECT_EQ(outcome.requests, (std::vector<int>{21, 30, 33, 31}));
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"3 <kuid:12:1>"}));
    EXPECT_FALSE(fs::exists(before / "notes.txt"));
}

} // namespace
