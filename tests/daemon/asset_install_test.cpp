// The daemon's installs through a raw-socket client that writes the payloads by hand:
// request 39 copies an asset folder into "local" and request 40 extracts every asset of an
// archive there, both registered so that request 21 knows them, their findings sent as a
// log note before the reply. An installed asset is replaced (the old folder to the trash)
// when the caller has no question handler; with one the daemon asks, keeps the new copy
// and obeys the answer of request 150. Damaged folders, configs and archives are refused
// with an error entry and change nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "asset_install_test_support.h"
#include "asset_test_fixture.h"
#include "client/write_failure.h"
#include "daemon/asset_install_run.h"
#include "foundation/cdp/cdp_messages.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

using namespace asset_test;
namespace fs = std::filesystem;

// The KUID <kuid:12:n> on the wire: content id, then version << 25 | user id.
std::string Kuid12(int content) {
    return Le32(static_cast<uint32_t>(content)) + Le32(12);
}
const std::string kNullKuid = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});

// Assets 1 (in "coal_wagon") and 11 to 15 are installed with notes.txt "old"; asset 2 is
// only open for editing.
std::string Seed() {
    std::string seed = "localuser\n{\n  user 12\n  next 50\n}\nassets\n{\n";
    const auto asset = [&seed](int content, const char* extra) {
        seed += "  " + std::to_string(content) + "\n  {\n" + extra + "    config\n    {\n" +
                "      kuid <kuid:12:" + std::to_string(content) + ">\n" +
                "      username \"Asset " + std::to_string(content) + "\"\n    }\n" +
                "    files\n    {\n      0\n      {\n        name \"notes.txt\"\n" +
                "        text \"old\"\n      }\n    }\n  }\n";
    };
    asset(1, "    folder \"coal_wagon\"\n");
    asset(2, "    location \"editing\"\n");
    for (int content = 11; content <= 15; ++content)
        asset(content, "");
    return seed + "}\n";
}

std::string InstallPayload(const std::string& path, bool hasHandler) {
    return StringField(path) + Le32(0) + Bytes({hasHandler ? 1 : 0});
}

std::string ConfigText(int content, const std::string& name) {
    return "kuid <kuid:12:" + std::to_string(content) + ">\r\nusername \"" + name +
           "\"\r\ncategory-class \"TC\"\r\n";
}

// What came back for one request: the notes before the reply, then the reply.
struct Exchange {
    uint32_t tid = 0;
    std::vector<std::pair<uint32_t, std::string>> notes; // kind, payload
    std::string reply;
    bool replied = false;

    // The entries of the log notes, each as "<kind> <asset> <text>".
    std::vector<std::string> Entries() const {
        std::vector<std::string> lines;
        for (const auto& [kind, payload] : notes) {
            if (kind != 3 || payload.substr(0, 4) != Le32(tid)) continue;
            BufferStream stream;
            stream.Stream().WriteBytes(payload.data() + 4, payload.size() - 4);
            stream.Stream().Rewind();
            ResultsLog log;
            log.Read(stream.Stream());
            for (const ResultsLogEntry& entry : log.Entries()) {
                lines.push_back(std::to_string(entry.kind) + " " +
                                entry.subject.GetValueText().c_str() + " " + entry.text.Std());
            }
        }
        return lines;
    }
    std::vector<std::string> Questions() const {
        std::vector<std::string> found;
        for (const auto& [kind, payload] : notes) {
            if (kind == 2) found.push_back(payload);
        }
        return found;
    }
};

uint32_t LoadLe32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

class AssetInstallTest : public AssetDaemonTest {
  protected:
    void SetUp() override { StartWith(Seed()); }

    Exchange Send(int32_t id, const std::string& payload) {
        Exchange exchange;
        exchange.tid = ++transaction_;
        if (!client_->Send(RequestBytes(id, exchange.tid, payload))) return exchange;
        for (;;) {
            const std::string header = client_->Read(12);
            if (header.size() != 12) return exchange;
            const std::string body = client_->Read(LoadLe32(header, 8));
            if (header.substr(0, 4) == Bytes({0x65, 0x74, 0x6F, 0x6E})) {
                exchange.notes.emplace_back(LoadLe32(header, 4), body);
                continue;
            }
            exchange.replied = header.substr(0, 4) == Bytes({0x6C, 0x70, 0x65, 0x72}) &&
                               LoadLe32(header, 4) == exchange.tid;
            exchange.reply = body;
            return exchange;
        }
    }

    // An asset folder under "src" with its config.txt (when given) and files.
    std::string MakeSource(const std::string& name, const std::string& config,
                           const std::map<std::string, std::string>& files = {}) {
        folder_.MakeFolder("src/" + name);
        if (!config.empty()) folder_.WriteFile("src/" + name + "/config.txt", config);
        for (const auto& [file, bytes] : files) {
            fs::create_directories(
                fs::path(folder_.Path("src/" + name + "/" + file)).parent_path());
            folder_.WriteFile("src/" + name + "/" + file, bytes);
        }
        return folder_.Path("src/" + name);
    }

    // Whether the daemon knows the asset: the valid byte that ends the reply of request 21.
    bool Known(int content) {
        const std::string reply = Ask(21, Kuid12(content) + Le32(0xFFFFFFFF));
        return !reply.empty() && reply.back() == 1;
    }

    // The files of staged copies still kept.
    size_t StagedFiles() {
        size_t files = 0;
        for (const std::string& entry : install_test::Listing(UserData("installing"))) {
            if (fs::is_regular_file(UserData("installing/" + entry))) ++files;
        }
        return files;
    }
};

TEST_F(AssetInstallTest, FolderInstallsIntoLocalAndTheDaemonKnowsIt) {
    const std::string source = MakeSource("tank", ConfigText(7, "Tank car"),
                                          {{"body.pm", "mesh"}, {"art/paint.texture", "tex"}});

    const Exchange exchange = Send(39, InstallPayload(source, false));
    ASSERT_TRUE(exchange.replied);
    EXPECT_EQ(exchange.reply, Kuid12(7) + Bytes({1}));
    EXPECT_EQ(exchange.Entries(), std::vector<std::string>{"4 <kuid:12:7> Installed."});

    EXPECT_EQ(install_test::Listing(UserData("local/kuid_12_7_0")),
              (std::vector<std::string>{"art", "art/paint.texture", "body.pm", "config.txt"}));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/kuid_12_7_0/config.txt"),
              ConfigText(7, "Tank car"));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/kuid_12_7_0/art/paint.texture"), "tex");
    EXPECT_TRUE(Known(7));
    const std::optional<AssetRecord> record = table_->Find(KUID(12, 7, 0));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, "Tank car");
    EXPECT_EQ(record->category, "TC");
    EXPECT_EQ(record->location, "local");
    EXPECT_TRUE(record->flags[0] & kFlagInstalled);
    EXPECT_EQ(StagedFiles(), 0u);
    EXPECT_TRUE(fs::exists(source + "/body.pm")); // the source stays as it was
}

TEST_F(AssetInstallTest, CompiledConfigServesWhenTheTextOneIsMissing) {
    const std::string source = MakeSource("hopper", "", {{"body.pm", "mesh"}});
    ACSChunkRef config;
    config.SetNamedTagKUID("kuid", KUID(12, 8, 0));
    config.SetNamedTagString("username", "Hopper");
    ASSERT_TRUE(config.SaveToFile("", (source + "/config.chump").c_str(), "chump"));

    const Exchange exchange = Send(39, InstallPayload(source, false));
    EXPECT_EQ(exchange.reply, Kuid12(8) + Bytes({1}));
    // The installed folder holds the config as text only, so every reader sees one config.
    EXPECT_EQ(install_test::Listing(UserData("local/kuid_12_8_0")),
              (std::vector<std::string>{"body.pm", "config.txt"}));
    EXPECT_TRUE(Known(8));
    EXPECT_EQ(table_->Find(KUID(12, 8, 0))->name, "Hopper");
}

TEST_F(AssetInstallTest, LinksAndSpecialFilesInAnAssetFolderAreLeftOut) {
    folder_.WriteFile("outside.txt", "secret");
    const std::string source = MakeSource("linked", ConfigText(9, "Linked"), {{"real.txt", "r"}});
    fs::create_directory_symlink(source, source + "/loop");
    fs::create_symlink(folder_.Path("outside.txt"), source + "/secret.txt");
    ASSERT_EQ(mkfifo((source + "/pipe.txt").c_str(), 0600), 0);

    const Exchange exchange = Send(39, InstallPayload(source, false));
    EXPECT_EQ(exchange.reply, Kuid12(9) + Bytes({1}));
    const std::vector<std::string> entries = exchange.Entries();
    ASSERT_EQ(entries.size(), 4u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(entries[i].substr(0, 21), "2 <kuid:12:9> Skipped");
    EXPECT_EQ(install_test::Listing(UserData("local/kuid_12_9_0")),
              (std::vector<std::string>{"config.txt", "real.txt"}));
}

TEST_F(AssetInstallTest, BadFoldersAndConfigsAreRefusedAndChangeNothing) {
    struct BadSource {
        const char* what;
        std::function<std::string()> make; // the path to send
        std::string error;                 // a part of the one error entry
        bool cut = false;                  // send the payload without its last byte
    };
    const BadSource cases[] = {
        {"missing folder", [&] { return folder_.Path("src/none"); }, "cannot be read"},
        {"a file",
         [&] {
             folder_.WriteFile("file.txt", "x");
             return folder_.Path("file.txt");
         },
         "cannot be read"},
        {"no config", [&] { return MakeSource("empty", ""); }, "holds no config.txt"},
        {"no kuid", [&] { return MakeSource("nokuid", "username \"x\"\r\n"); }, "has no kuid"},
        {"damaged compiled config",
         [&] {
             const std::string path = MakeSource("badchump", "");
             folder_.WriteFile("src/badchump/config.chump", "ACS$\x01\x02 not a soup");
             return path;
         },
         "cannot be read"},
        {"config is a pipe",
         [&] {
             const std::string path = MakeSource("fifo", "");
             mkfifo((path + "/config.txt").c_str(), 0600);
             return path;
         },
         "cannot be read"},
        {"config is a folder",
         [&] {
             const std::string path = MakeSource("dirconfig", "");
             folder_.MakeFolder("src/dirconfig/config.txt");
             return path;
         },
         "cannot be read"},
        {"inside the database", [&] { return UserData("local/coal_wagon"); }, "overlaps"},
        {"holding the database",
         [&] {
             folder_.WriteFile("inst/config.txt", ConfigText(30, "Everything"));
             return folder_.Path("inst");
         },
         "overlaps"},
        {"cut request", [&] { return MakeSource("cut", ConfigText(31, "Cut")); }, "incomplete",
         true},
    };
    const std::vector<std::string> local = install_test::Listing(UserData("local"));
    const size_t records = table_->All().size();
    for (const BadSource& c : cases) {
        std::string payload = InstallPayload(c.make(), false);
        if (c.cut) payload.pop_back();
        const Exchange exchange = Send(39, payload);
        EXPECT_EQ(exchange.reply, kNullKuid + Bytes({0})) << c.what;
        const std::vector<std::string> entries = exchange.Entries();
        ASSERT_EQ(entries.size(), 1u) << c.what;
        EXPECT_EQ(entries[0].substr(0, 2), "3 ") << c.what;
        EXPECT_NE(entries[0].find(c.error), std::string::npos) << c.what << ": " << entries[0];
    }
    EXPECT_EQ(install_test::Listing(UserData("local")), local);
    EXPECT_EQ(table_->All().size(), records);
    EXPECT_EQ(StagedFiles(), 0u);
}

// A file that cannot be copied (the disk full midway) fails the asset, the entry naming
// the file and the cause.
TEST_F(AssetInstallTest, AFileThatCannotBeCopiedIsNamedWithTheCause) {
    const std::string source =
        MakeSource("big", ConfigText(31, "Big"), {{"body.pm", std::string(4096, 'm')}});
    Exchange exchange;
    {
        const FileSizeLimit fullDisk(1024);
        exchange = Send(39, InstallPayload(source, false));
    }
    EXPECT_EQ(exchange.reply, kNullKuid + Bytes({0}));
    // The cause is the system's text as the copy reports it.
    const std::string head = "3 <kuid:12:31> Cannot copy " + source + "/body.pm: ";
    ASSERT_EQ(exchange.Entries().size(), 1u);
    const std::string entry = exchange.Entries()[0];
    EXPECT_EQ(entry.rfind(head, 0), 0u) << entry;
    EXPECT_GT(entry.size(), head.size() + 1) << entry;
    EXPECT_FALSE(Known(31));
    EXPECT_EQ(StagedFiles(), 0u);
}

TEST_F(AssetInstallTest, InstalledAssetIsReplacedWhenNobodyCanBeAsked) {
    const std::string source =
        MakeSource("coal2", ConfigText(1, "Coal wagon II"), {{"notes.txt", "new"}});

    const Exchange exchange = Send(39, InstallPayload(source, false));
    EXPECT_EQ(exchange.reply, Kuid12(1) + Bytes({1}));
    EXPECT_EQ(exchange.Entries(),
              std::vector<std::string>{"4 <kuid:12:1> Installed, replacing the earlier copy."});
    EXPECT_TRUE(exchange.Questions().empty());
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/kuid_12_1_0/notes.txt"), "new");
    EXPECT_EQ(folder_.ReadFile("inst/UserData/trash/coal_wagon/notes.txt"), "old");
    EXPECT_FALSE(Exists("local/coal_wagon"));
    const std::optional<AssetRecord> record = table_->Find(KUID(12, 1, 0));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, "Coal wagon II");
    EXPECT_EQ(record->folder, "kuid_12_1_0");
}

TEST_F(AssetInstallTest, WithAHandlerTheDaemonAsksAndObeysTheAnswer) {
    // Answers 2 and 3 replace the asset; 0, 1 and 4 keep it.
    for (int32_t answer = 0; answer <= 4; ++answer) {
        const int content = 11 + answer;
        const std::string name = "v" + std::to_string(content);
        const std::string source =
            MakeSource(name, ConfigText(content, "New"), {{"notes.txt", "new"}});

        const Exchange exchange = Send(39, InstallPayload(source, true));
        EXPECT_EQ(exchange.reply, Kuid12(content) + Bytes({0})) << answer;
        EXPECT_EQ(exchange.Questions(),
                  std::vector<std::string>{Le32(exchange.tid) +
                                           PString("$kav_prompt_alreadyinstalled") +
                                           Kuid12(content)})
            << answer;
        ASSERT_EQ(exchange.Entries().size(), 1u);
        EXPECT_EQ(exchange.Entries()[0].substr(0, 2), "1 ");
        EXPECT_EQ(StagedFiles(), 2u) << answer; // the kept copy: config.txt and notes.txt

        EXPECT_EQ(Ask(150, Le32(exchange.tid) + Le32(static_cast<uint32_t>(answer))), "");
        const bool replace = answer == 2 || answer == 3;
        const std::string line = "install-answer 1 tid=" + std::to_string(exchange.tid) +
                                 " answer=" + std::to_string(answer) +
                                 (replace ? " replaced=1 kept=0" : " replaced=0 kept=1") +
                                 " failed=0";
        EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"), line)) << line;
        const std::optional<AssetRecord> record = table_->Find(KUID(12, content, 0));
        ASSERT_TRUE(record);
        EXPECT_EQ(record->name, replace ? "New" : "Asset " + std::to_string(content)) << answer;
        EXPECT_EQ(folder_.ReadFile("inst/UserData/local/" + record->folder + "/notes.txt"),
                  replace ? "new" : "old")
            << answer;
        EXPECT_EQ(StagedFiles(), 0u) << answer;
    }
}

TEST_F(AssetInstallTest, QuestionPromptFollowsTheInstalledAssetsState) {
    const std::string source = MakeSource("logcar", ConfigText(2, "Log car II"));
    const Exchange exchange = Send(39, InstallPayload(source, true));
    EXPECT_EQ(exchange.Questions(),
              std::vector<std::string>{Le32(exchange.tid) + PString("$kav_prompt_openforedit") +
                                       Kuid12(2)});

    // The first state that matches names the prompt.
    struct Row {
        uint8_t first;
        uint8_t second;
        const char* prompt;
    };
    const Row rows[] = {
        {0x08, 0x00, "$kav_prompt_alreadyinstalled"},
        {0x08 | 0x20, 0x00, "$kav_prompt_fpx_item"},
        {0x08 | 0x10 | 0x20, 0x00, "$kav_prompt_builtin"},
        {0x08 | 0x10, 0x01, "$kav_prompt_openforedit"},
    };
    for (const Row& row : rows) {
        AssetRecord record;
        record.flags[0] = row.first;
        record.flags[1] = row.second;
        EXPECT_STREQ(ConflictPromptKey(record), row.prompt);
    }
}

TEST_F(AssetInstallTest, UnansweredInstallsAreBoundedAndGoWithTheDaemon) {
    const std::string source = MakeSource("again", ConfigText(1, "Again"), {{"notes.txt", "n"}});
    std::vector<uint32_t> tids;
    for (size_t i = 0; i <= kMaxWaitingInstalls; ++i) {
        tids.push_back(Send(39, InstallPayload(source, true)).tid);
    }
    EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"),
                            "install-expired 1 tid=" + std::to_string(tids[0])));
    EXPECT_EQ(StagedFiles(), 2 * kMaxWaitingInstalls);
    // The expired install no longer waits: its answer changes nothing.
    EXPECT_EQ(Ask(150, Le32(tids[0]) + Le32(2)), "");
    EXPECT_EQ(table_->Find(KUID(12, 1, 0))->name, "Asset 1");

    server_.reset();
    EXPECT_EQ(StagedFiles(), 0u);
}

TEST_F(AssetInstallTest, ArchiveInstallsEveryAssetIntoLocal) {
    ACSChunkRef packed = install_test::ArchivedAsset(KUID(12, 21, 0), "Packed", {});
    ACSChunkRef files = packed.GetNamedSoup("files");
    const std::vector<uint8_t> text(3000, 'z');
    std::vector<uint8_t> coded = {0, 0, 0, 0};
    const std::vector<uint8_t> body = Kiv::LZSSCompress().Compress(text, 9);
    coded.insert(coded.end(), body.begin(), body.end());
    install_test::AddBlob(files, "long.txt", std::string(coded.begin(), coded.end()));
    packed.SetNamedTagString("compression", "LZSS");
    CDPAsset(packed).SetChecksum();
    const std::string archive = folder_.Path("two.cdp");
    ASSERT_EQ(install_test::SaveArchive(
                  archive,
                  {install_test::ArchivedAsset(KUID(12, 20, 0), "Stored",
                                               {{"body.pm", "mesh"}, {"art/paint.texture", "tex"}}),
                   packed}),
              "");

    const Exchange exchange = Send(40, InstallPayload(archive, false));
    EXPECT_EQ(exchange.reply, Le32(2) + Bytes({1}));
    EXPECT_EQ(exchange.Entries(),
              (std::vector<std::string>{"4 <kuid:12:20> Installed.", "4 <kuid:12:21> Installed."}));
    EXPECT_EQ(install_test::Listing(UserData("local/kuid_12_20_0")),
              (std::vector<std::string>{"art", "art/paint.texture", "body.pm", "config.txt"}));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/kuid_12_20_0/art/paint.texture"), "tex");
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/kuid_12_21_0/long.txt"),
              std::string(3000, 'z'));
    // The installed config keeps the asset's own tags only.
    ACSChunkRef config;
    ASSERT_TRUE(
        config.LoadFromFile("", UserData("local/kuid_12_20_0/config.txt").c_str(), "txt", true));
    EXPECT_FALSE(config.HasTag("files"));
    EXPECT_FALSE(config.HasTag("compression"));
    EXPECT_FALSE(config.HasTag("dsid"));
    EXPECT_EQ(config.GetNamedTag("kind").Std(), "mesh");
    EXPECT_TRUE(Known(20));
    EXPECT_TRUE(Known(21));
    EXPECT_EQ(table_->Find(KUID(12, 21, 0))->name, "Packed");
}

// Content that fails its checksum never replaces an installed copy; a new asset still
// installs, with the warning.
TEST_F(AssetInstallTest, DamagedContentDoesNotReplaceAnInstalledAsset) {
    const auto damaged = [](int content) {
        ACSChunkRef asset = install_test::ArchivedAsset(KUID(12, content, 0), "Damaged", {{"notes.txt", "new"}});
        asset.SetNamedTagInt("dsid", 7);
        CDPAsset(asset).SetChecksum();
        ACSChunkRef files = asset.GetNamedSoup("files");
        install_test::AddBlob(files, "extra.txt", "not covered by the checksum");
        return asset;
    };
    const std::string archive = folder_.Path("damaged.cdp");
    ASSERT_EQ(install_test::SaveArchive(archive, {damaged(1), damaged(30)}), "");

    const Exchange exchange = Send(40, InstallPayload(archive, false));
    EXPECT_EQ(exchange.reply, Le32(1) + Bytes({0}));
    EXPECT_EQ(exchange.Entries(),
              (std::vector<std::string>{
                  "3 <kuid:12:1> The asset's files do not match the archive's checksum: the "
                  "installed copy is kept.",
                  "2 <kuid:12:30> The asset's files do not match the archive's checksum.",
                  "4 <kuid:12:30> Installed."}));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/coal_wagon/notes.txt"), "old");
    EXPECT_FALSE(Exists("trash/coal_wagon"));
    EXPECT_EQ(table_->Find(KUID(12, 1, 0))->name, "Asset 1");
    EXPECT_TRUE(Known(30));
    EXPECT_EQ(StagedFiles(), 0u);
}

TEST_F(AssetInstallTest, ArchiveFileNamesCannotLeaveTheAssetFolder) {
    ACSChunkRef asset = install_test::ArchivedAsset(KUID(12, 22, 0), "Hostile", {{"ok.txt", "k"}});
    ACSChunkRef files = asset.GetNamedSoup("files");
    install_test::AddBlob(files, "../evil.txt", "x");
    install_test::AddBlob(files, "..", "x");
    install_test::AddBlob(files, "/abs.txt", "x");
    ACSChunkRef up;
    up.EnsureContainer();
    install_test::AddBlob(up, "evil.txt", "x");
    files.SetNamedSoup("..", up);
    const std::string archive = folder_.Path("hostile.cdp");
    ASSERT_EQ(install_test::SaveArchive(archive, {asset}), "");
    const std::vector<std::string> before = install_test::Listing(folder_.Root());

    const Exchange exchange = Send(40, InstallPayload(archive, false));
    EXPECT_EQ(exchange.reply, Le32(1) + Bytes({1}));
    EXPECT_EQ(install_test::Listing(UserData("local/kuid_12_22_0")),
              (std::vector<std::string>{"config.txt", "ok.txt"}));
    std::vector<std::string> added;
    for (const std::string& entry : install_test::Listing(folder_.Root())) {
        if (std::find(before.begin(), before.end(), entry) == before.end()) added.push_back(entry);
    }
    for (const std::string& entry : added) {
        EXPECT_TRUE(entry.rfind("inst/UserData/local/kuid_12_22_0", 0) == 0 ||
                    entry.rfind("inst/UserData/installing", 0) == 0 ||
                    entry == "inst/UserData/kavtable.txt" ||
                    entry == "inst/UserData/kavtable.changes" || entry == "record.txt")
            << entry;
    }
}

TEST_F(AssetInstallTest, DamagedArchivesAreRefusedSafely) {
    const std::string good = folder_.Path("good.cdp");
    ASSERT_EQ(install_test::SaveArchive(
                  good, {install_test::ArchivedAsset(KUID(12, 23, 0), "Good", {{"a.txt", "a"}})}),
              "");
    ACSChunkRef root;
    ASSERT_TRUE(root.LoadFromFile("", good.c_str(), nullptr, false));
    root.SetNamedTagInt("package-version", 2);
    ASSERT_TRUE(root.SaveToFile("", folder_.Path("newer.cdp").c_str(), nullptr));
    ACSChunkRef empty;
    empty.SetNamedTagString("kind", "archive");
    empty.SetNamedTagInt("package-version", 1);
    ASSERT_TRUE(empty.SaveToFile("", folder_.Path("empty.cdp").c_str(), nullptr));
    folder_.WriteFile("text.cdp", "kind \"archive\"\r\n");
    folder_.MakeFolder("folder.cdp");
    ASSERT_EQ(mkfifo(folder_.Path("pipe.cdp").c_str(), 0600), 0);

    const std::pair<const char*, std::string> cases[] = {
        {"missing.cdp", "Cannot read the archive"}, {"folder.cdp", "Cannot read the archive"},
        {"pipe.cdp", "Cannot read the archive"},    {"text.cdp", CDPMessages::kNotACDP},
        {"newer.cdp", CDPMessages::kNewerVersion},  {"empty.cdp", "The archive holds no assets."},
    };
    for (const auto& [name, error] : cases) {
        const Exchange exchange = Send(40, InstallPayload(folder_.Path(name), false));
        EXPECT_EQ(exchange.reply, Le32(0) + Bytes({0})) << name;
        const std::vector<std::string> entries = exchange.Entries();
        ASSERT_EQ(entries.size(), 1u) << name;
        EXPECT_NE(entries[0].find(error), std::string::npos) << name << ": " << entries[0];
    }

    // Every cut of the archive is answered, and "local" gains no partial asset.
    const std::string bytes = folder_.ReadFile("good.cdp");
    for (size_t size = 0; size < bytes.size(); ++size) {
        folder_.WriteFile("cut.cdp", bytes.substr(0, size));
        const Exchange exchange = Send(40, InstallPayload(folder_.Path("cut.cdp"), false));
        ASSERT_TRUE(exchange.replied) << size;
        ASSERT_EQ(exchange.reply.size(), 5u) << size;
    }
    for (const std::string& entry : install_test::Listing(UserData("local"))) {
        if (entry.find('/') != std::string::npos) continue;
        EXPECT_TRUE(fs::exists(UserData("local/" + entry + "/config.txt"))) << entry;
    }
    EXPECT_EQ(StagedFiles(), 0u);
}

TEST_F(AssetInstallTest, ArchiveOfInstalledAssetsAsksOnceAndTheAnswerDecidesForAll) {
    const std::string archive = folder_.Path("both.cdp");
    ASSERT_EQ(install_test::SaveArchive(
                  archive,
                  {install_test::ArchivedAsset(KUID(12, 1, 0), "One", {{"notes.txt", "new"}}),
                   install_test::ArchivedAsset(KUID(12, 11, 0), "Eleven", {{"notes.txt", "new"}})}),
              "");

    const Exchange exchange = Send(40, InstallPayload(archive, true));
    EXPECT_EQ(exchange.reply, Le32(2) + Bytes({0}));
    EXPECT_EQ(exchange.Questions(),
              std::vector<std::string>{Le32(exchange.tid) +
                                       PString("$kav_prompt_alreadyinstalled") + Kuid12(1)});
    EXPECT_EQ(Ask(150, Le32(exchange.tid) + Le32(3)), "");
    EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"),
                            "install-answer 1 tid=" + std::to_string(exchange.tid) +
                                " answer=3 replaced=2 kept=0 failed=0"));
    EXPECT_EQ(table_->Find(KUID(12, 1, 0))->name, "One");
    EXPECT_EQ(table_->Find(KUID(12, 11, 0))->name, "Eleven");
}

// Request 270 from another client while an archive of many assets installs: the install
// stops before its next asset and answers how many it settled, the rest reported as not
// installed; the daemon ends, and the table read again knows exactly the installed assets.
TEST_F(AssetInstallTest, ACloseRequestStopsALongArchiveInstallBetweenAssets) {
    constexpr int kAssets = 400;
    constexpr int kFirst = 1000;
    std::vector<ACSChunkRef> assets;
    for (int i = 0; i < kAssets; ++i) {
        assets.push_back(
            install_test::ArchivedAsset(KUID(12, kFirst + i, 0), "Bulk", {{"a.txt", "a"}}));
    }
    const std::string archive = folder_.Path("bulk.cdp");
    ASSERT_EQ(install_test::SaveArchive(archive, assets), "");

    Exchange exchange;
    std::thread installing([&] { exchange = Send(40, InstallPayload(archive, false)); });
    while (!table_->Find(KUID(12, kFirst, 0))) std::this_thread::yield();
    RawClient closer(server_->Port());
    ASSERT_EQ(closer.Handshake(), kHandshakeReply);
    ASSERT_TRUE(closer.Send(RequestBytes(270, 1)));
    installing.join();
    EXPECT_EQ(server_->WaitForExit(), DaemonExit::kCloseRequest);

    ASSERT_TRUE(exchange.replied);
    ASSERT_EQ(exchange.reply.size(), 5u);
    const uint32_t settled = LoadLe32(exchange.reply, 0);
    EXPECT_GE(settled, 1u);
    EXPECT_LT(settled, static_cast<uint32_t>(kAssets));
    EXPECT_EQ(exchange.reply[4], '\0');
    const std::vector<std::string> entries = exchange.Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().substr(entries.back().find(' ', 2) + 1),
              "The asset database is closing: " + std::to_string(kAssets - settled) +
                  " of the archive's 400 assets were not installed.");

    AssetTable reopened(folder_.Path("inst"));
    std::string error;
    ASSERT_TRUE(reopened.Open(error)) << error;
    uint32_t known = 0;
    for (int i = 0; i < kAssets; ++i) known += reopened.Find(KUID(12, kFirst + i, 0)) ? 1 : 0;
    EXPECT_EQ(known, settled);
    EXPECT_TRUE(reopened.Find(KUID(12, kFirst + static_cast<int>(settled) - 1, 0)));
}

} // namespace
