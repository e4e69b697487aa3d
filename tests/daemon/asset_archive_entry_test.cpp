// Request 48 through a raw-socket client: an asset handed over as an archive entry, its
// folder tree in "files" with every file behind its 4-byte length as an LZSS stream,
// "compression" "LZSS" and a "dsid" that verifies. The entry is checked against the folder
// by extracting it with the archive code, and as an archive that opens again and installs
// through request 40. Links, fifos, loops, folders nested too deeply and assets the daemon
// cannot hand over are answered safely.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "asset_install_test_support.h"
#include "asset_test_fixture.h"
#include "daemon/asset_archive_entry.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/results/results_log.h"
#include "foundation/soup/raw_data.h"
#include "foundation/streams/buffer_stream.h"

namespace {

using namespace asset_test;
namespace fs = std::filesystem;

// The KUID <kuid:12:n> on the wire: content id, then version << 25 | user id.
std::string Kuid12(int content) {
    return Le32(static_cast<uint32_t>(content)) + Le32(12);
}
std::string EntryPayload(int content) {
    return Kuid12(content) + Le32(3);
}

// The soup with no tags: "ACS$", version 1, a reserved word and a body of 0 bytes.
const std::string kNullSoup = Bytes({0x41, 0x43, 0x53, 0x24, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});

// Asset 1 is installed in "coal_wagon", asset 2 only exists as an edit copy.
const char kSeed[] = "localuser\n{\n  user 12\n  next 50\n}\nassets\n{\n"
                     "  0\n  {\n    folder \"coal_wagon\"\n    config\n    {\n"
                     "      kuid <kuid:12:1>\n      username \"Coal wagon\"\n      kind \"mesh\"\n"
                     "    }\n  }\n"
                     "  1\n  {\n    location \"editing\"\n    folder \"draft\"\n    config\n    {\n"
                     "      kuid <kuid:12:2>\n      username \"Draft\"\n    }\n  }\n}\n";

std::string TrainText(size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "the train leaves platform " + std::to_string(i % 7) + "\n";
    return text.substr(0, size);
}

// The files of asset 1 besides its config.txt.
const std::map<std::string, std::string>& WagonFiles() {
    static const std::map<std::string, std::string> files = {
        {"abc.txt", "abc"},
        {"body.pm", TrainText(3000)},
        {"empty.txt", ""},
        {"art/paint.texture", std::string("\x00\x01\xFF\x80tex", 7)},
        {"art/deep/wheel.pm", "round"},
    };
    return files;
}

// The names of the soup's children in order.
std::vector<std::string> Names(const ACSChunkRef& soup) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < soup.CountTags(); ++i)
        names.emplace_back(soup.GetIndexedTagName(i).c_str());
    return names;
}

std::string Blob(const ACSChunkRef& folder, const char* name) {
    const ACSRawDataRef data = folder.GetNamedTagData(Kiv::PString(name));
    return std::string(reinterpret_cast<const char*>(data.Data()), data.Size());
}

// What came back for one request: the log entries of its notes, then the reply.
struct Exchange {
    std::vector<std::string> entries; // "<kind> <asset> <text>"
    std::string reply;
    bool replied = false;
};

class ArchivedAssetTest : public AssetDaemonTest {
  protected:
    void SetUp() override {
        StartWith(kSeed);
        for (const auto& [name, bytes] : WagonFiles())
            WriteWagonFile(name, bytes);
    }

    std::string Wagon(const std::string& relative = "") const {
        return UserData("local/coal_wagon/" + relative);
    }
    void WriteWagonFile(const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(Wagon(name)).parent_path());
        folder_.WriteFile("inst/UserData/local/coal_wagon/" + name, bytes);
    }

    Exchange Send(int32_t id, const std::string& payload) {
        Exchange exchange;
        const uint32_t tid = ++transaction_;
        if (!client_->Send(RequestBytes(id, tid, payload))) return exchange;
        for (;;) {
            const std::string header = client_->Read(12);
            if (header.size() != 12) return exchange;
            const std::string body = client_->Read(LoadLe32(header, 8));
            if (header.substr(0, 4) == Bytes({0x65, 0x74, 0x6F, 0x6E})) {
                if (LoadLe32(header, 4) == 3) AddEntries(body, exchange);
                continue;
            }
            exchange.replied = header.substr(0, 4) == Bytes({0x6C, 0x70, 0x65, 0x72}) &&
                               LoadLe32(header, 4) == tid;
            exchange.reply = body;
            return exchange;
        }
    }

    // The entry as the client's wrapper makes it: "compression" set first, then the reply
    // read into it.
    CDPAsset EntryOf(const Exchange& exchange) {
        EXPECT_TRUE(exchange.replied);
        BufferStream stream;
        stream.Stream().WriteBytes(exchange.reply.data(), exchange.reply.size());
        stream.Stream().Rewind();
        CDPAsset asset;
        asset.Read(stream.Stream());
        return asset;
    }

    static uint32_t LoadLe32(const std::string& bytes, size_t at) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
        return value;
    }
    static void AddEntries(const std::string& payload, Exchange& exchange) {
        BufferStream stream;
        stream.Stream().WriteBytes(payload.data() + 4, payload.size() - 4);
        stream.Stream().Rewind();
        ResultsLog log;
        log.Read(stream.Stream());
        for (const ResultsLogEntry& entry : log.Entries()) {
            exchange.entries.push_back(std::to_string(entry.kind) + " " +
                                       entry.subject.GetValueText().c_str() + " " +
                                       entry.text.Std());
        }
    }

    // Every file below the folder with its bytes, keyed by relative path; folders as "/".
    static std::map<std::string, std::string> Tree(const std::string& root) {
        std::map<std::string, std::string> tree;
        for (const std::string& entry : install_test::Listing(root)) {
            const fs::path path = fs::path(root) / entry;
            if (fs::is_directory(fs::symlink_status(path))) {
                tree[entry] = "/";
                continue;
            }
            std::ifstream in(path, std::ios::binary);
            tree[entry] = std::string(std::istreambuf_iterator<char>(in), {});
        }
        return tree;
    }
    static std::map<std::string, std::string> ExpectedTree() {
        std::map<std::string, std::string> tree = {{"art", "/"}, {"art/deep", "/"}};
        for (const auto& [name, bytes] : WagonFiles())
            tree[name] = bytes;
        return tree;
    }
};

TEST_F(ArchivedAssetTest, TheEntryCarriesTheFolderTreeAndItsChecksum) {
    const Exchange exchange = Send(kRequestArchivedAsset, EntryPayload(1));
    EXPECT_TRUE(exchange.entries.empty());
    const CDPAsset entry = EntryOf(exchange);

    EXPECT_EQ(entry.GetKUID(), KUID(12, 1, 0));
    EXPECT_EQ(std::string(entry.GetConfig().GetNamedTag("username").View()), "Coal wagon");
    EXPECT_STREQ(entry.GetCompression().c_str(), "LZSS");
    EXPECT_TRUE(entry.VerifyChecksum());
    EXPECT_NE(std::string(entry.GetConfig().GetNamedTag("dsid").View()), "0:0");
    // The config file is not among the files, children come in name order.
    EXPECT_EQ(Names(entry.GetFiles()),
              (std::vector<std::string>{"abc.txt", "art", "body.pm", "empty.txt"}));

    fs::create_directory(folder_.Path("out"));
    const Kiv::PString failure =
        CDPArchive::ExtractFiles(entry.GetFiles(), Kiv::PString(folder_.Path("out")),
                                 Kiv::File::Path(""), entry.GetCompression());
    EXPECT_TRUE(failure.IsEmpty()) << failure.c_str();
    EXPECT_EQ(Tree(folder_.Path("out")), ExpectedTree());
}

TEST_F(ArchivedAssetTest, FileBlobsAreTheLengthThenTheLZSSStream) {
    const CDPAsset entry = EntryOf(Send(kRequestArchivedAsset, EntryPayload(1)));
    const ACSChunkRef files = entry.GetFiles();

    // Length 3, then the stored form (header 0) of a short input.
    EXPECT_EQ(Blob(files, "abc.txt"), Bytes({3, 0, 0, 0, 0x00, 'a', 'b', 'c'}));
    // Length 0, then a flag-word header (class 0, level 5) without items: an empty file that
    // no reader takes for a stored stream cut short.
    EXPECT_EQ(Blob(files, "empty.txt"), Bytes({0, 0, 0, 0, 0x05}));
    // 3000 bytes at the default level 5 take window class 1: header 0x15, and they shrink.
    const std::string body = Blob(files, "body.pm");
    ASSERT_GT(body.size(), 5u);
    EXPECT_EQ(body.substr(0, 5), Le32(3000) + Bytes({0x15}));
    EXPECT_LT(body.size(), 3000u);
}

TEST_F(ArchivedAssetTest, AnArchiveOfTheEntryOpensAndInstallsThroughRequest40) {
    const CDPAsset entry = EntryOf(Send(kRequestArchivedAsset, EntryPayload(1)));
    const std::string path = folder_.Path("wagon.cdp");
    {
        CDPArchive archive;
        ASSERT_TRUE(archive.AddAsset(entry.GetConfig()).IsEmpty());
        ASSERT_TRUE(archive.Save(path.c_str()).IsEmpty());
    }
    CDPArchive reopened;
    ASSERT_TRUE(reopened.Open("", path.c_str()).IsEmpty());
    ASSERT_EQ(reopened.CountAssets(), 1);
    EXPECT_EQ(reopened.FindAsset(KUID(12, 1, 0)), 0);
    EXPECT_TRUE(reopened.GetAsset(0).VerifyChecksum());

    // Installing it replaces the asset: its old folder goes to the trash, the new one is
    // built from the archive alone.
    const Exchange install = Send(40, StringField(path) + Le32(0) + Bytes({0}));
    ASSERT_TRUE(install.replied);
    EXPECT_EQ(install.reply, Le32(1) + Bytes({1}));
    const std::optional<AssetRecord> record = table_->Find(KUID(12, 1, 0));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, "Coal wagon");
    const std::string installed = table_->FolderOf(*record, false).string();
    ASSERT_NE(installed, Wagon());
    std::map<std::string, std::string> tree = Tree(installed);
    ASSERT_EQ(tree.erase("config.txt"), 1u);
    EXPECT_EQ(tree, ExpectedTree());
}

TEST_F(ArchivedAssetTest, LinksFifosAndLoopsAreSkippedWithAWarning) {
    folder_.WriteFile("outside.txt", "secret");
    fs::create_directory_symlink("..", Wagon("art/loop"));
    fs::create_symlink(folder_.Path("outside.txt"), Wagon("secret.txt"));
    ASSERT_EQ(mkfifo(Wagon("pipe.txt").c_str(), 0600), 0);

    const Exchange exchange = Send(kRequestArchivedAsset, EntryPayload(1));
    const CDPAsset entry = EntryOf(exchange);
    ASSERT_EQ(exchange.entries.size(), 3u);
    for (const std::string& line : exchange.entries)
        EXPECT_EQ(line.substr(0, 21), "2 <kuid:12:1> Skipped") << line;
    EXPECT_TRUE(entry.VerifyChecksum());
    EXPECT_EQ(Names(entry.GetFiles()),
              (std::vector<std::string>{"abc.txt", "art", "body.pm", "empty.txt"}));
    EXPECT_EQ(Names(entry.GetFiles().GetNamedSoup("art")),
              (std::vector<std::string>{"deep", "paint.texture"}));
}

TEST_F(ArchivedAssetTest, AnInstalledAssetIsHandedOverWithoutItsUncommittedEdits) {
    ASSERT_TRUE(table_->OpenForEdit(KUID(12, 1, 0)));
    folder_.WriteFile("inst/UserData/editing/coal_wagon/abc.txt", "edited");
    const CDPAsset installed = EntryOf(Send(kRequestArchivedAsset, EntryPayload(1)));
    EXPECT_EQ(Blob(installed.GetFiles(), "abc.txt"), Bytes({3, 0, 0, 0, 0x00, 'a', 'b', 'c'}));

    // An asset never installed comes from its edit copy.
    folder_.WriteFile("inst/UserData/editing/draft/plan.txt", "xy");
    const Exchange exchange = Send(kRequestArchivedAsset, EntryPayload(2));
    EXPECT_TRUE(exchange.entries.empty());
    const CDPAsset draft = EntryOf(exchange);
    EXPECT_EQ(draft.GetKUID(), KUID(12, 2, 0));
    EXPECT_EQ(Names(draft.GetFiles()), std::vector<std::string>{"plan.txt"});
    EXPECT_EQ(Blob(draft.GetFiles(), "plan.txt"), Bytes({2, 0, 0, 0, 0x00, 'x', 'y'}));
}

TEST_F(ArchivedAssetTest, AssetsThatCannotBeHandedOverGetANullSoupAndAnError) {
    struct Refused {
        const char* what;
        std::function<void()> prepare;
        std::string payload;
        std::string entry; // the one log entry
    };
    const Refused cases[] = {
        {"unknown asset", [] {}, EntryPayload(99),
         "3 <kuid:12:99> The asset is not in the database."},
        {"cut request", [] {}, Kuid12(1) + Bytes({3, 0}), "3  The archive request is incomplete."},
        {"a file too large for an entry",
         [&] {
             WriteWagonFile("huge.pm", "");
             fs::resize_file(Wagon("huge.pm"), kMaxArchivedBytes + 1);
         },
         EntryPayload(1), "3 <kuid:12:1> The asset's files are too large for one archive entry."},
        {"folder gone", [&] { fs::rename(Wagon(), UserData("local/elsewhere")); }, EntryPayload(1),
         "3 <kuid:12:1> The config in " + UserData("local/coal_wagon") + " cannot be read."},
    };
    for (const Refused& refused : cases) {
        SCOPED_TRACE(refused.what);
        refused.prepare();
        const Exchange exchange = Send(kRequestArchivedAsset, refused.payload);
        ASSERT_TRUE(exchange.replied);
        EXPECT_EQ(exchange.reply, kNullSoup);
        EXPECT_EQ(exchange.entries, std::vector<std::string>{refused.entry});
        EXPECT_FALSE(EntryOf(exchange).HasKUID());
    }
}

TEST_F(ArchivedAssetTest, FoldersNestedBeyondWhatAnArchiveHoldsAreRefused) {
    std::string chain;
    for (int depth = 0; depth < kMaxArchivedFolderDepth; ++depth)
        chain += "d/";
    WriteWagonFile(chain + "bottom.txt", "b");

    // At the bound the entry still fits into an archive that opens again.
    const CDPAsset entry = EntryOf(Send(kRequestArchivedAsset, EntryPayload(1)));
    ASSERT_TRUE(entry.HasKUID());
    const std::string path = folder_.Path("deep.cdp");
    {
        CDPArchive archive;
        ASSERT_TRUE(archive.AddAsset(entry.GetConfig()).IsEmpty());
        ASSERT_TRUE(archive.Save(path.c_str()).IsEmpty());
    }
    CDPArchive reopened;
    ASSERT_TRUE(reopened.Open("", path.c_str()).IsEmpty());
    ACSChunkRef folder = reopened.GetAsset(0).GetFiles();
    for (int depth = 0; depth < kMaxArchivedFolderDepth; ++depth)
        folder = folder.GetNamedSoup("d");
    EXPECT_EQ(Blob(folder, "bottom.txt"), Bytes({1, 0, 0, 0, 0x00, 'b'}));

    // One level more is refused.
    WriteWagonFile(chain + "d/bottom.txt", "b");
    const Exchange exchange = Send(kRequestArchivedAsset, EntryPayload(1));
    EXPECT_EQ(exchange.reply, kNullSoup);
    ASSERT_EQ(exchange.entries.size(), 1u);
    EXPECT_NE(exchange.entries[0].find("nested too deeply"), std::string::npos);
}

} // namespace
