// The client's asset wrappers against the real stand-in daemon process: a daemon script
// seeds asset folders under UserData "local", the client launches bin/kavdaemon with
// KAVClient::Start, and only the wrappers drive it: opening for edit, committing,
// reverting and deleting move real folders; category queries find exactly the seeded
// assets; the daemon's record file shows that every handle the client opened is closed
// once. Each test has its own installation tree, IPC folder, script and record file.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"
#include "link/kav/kav_user_data.h"
#include "foundation/ipc/discovery_objects.h"
#include "foundation/kuid/kuid_list.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"
#include "kav_daemon_process_support.h"

namespace {

namespace fs = std::filesystem;

const KUID kCoalWagon(12, 1, 0);  // category "TV", has a notes file
const KUID kBoxVan(12, 2, 0);     // category "TV"
const KUID kTender(12, 3, 0);     // category "TVS": begins with "TV" but is another one
const KUID kBridge(12, 4, 0);     // category "BR"

// Four installed assets, each a folder with its config.txt; the coal wagon also has a file.
constexpr const char* kSeed = R"(assets
{
  0
  {
    folder "coal_wagon"
    config
    {
      kuid <kuid:12:1>
      username "Coal wagon"
      category-class "TV"
    }
    files
    {
      0
      {
        name "notes.txt"
        text "first"
      }
    }
  }
  1
  {
    folder "box_van"
    config
    {
      kuid <kuid:12:2>
      username "Box van"
      category-class "TV"
    }
  }
  2
  {
    folder "tender"
    config
    {
      kuid <kuid:12:3>
      username "Tender"
      category-class "TVS"
    }
  }
  3
  {
    folder "bridge"
    config
    {
      kuid <kuid:12:4>
      username "Bridge"
      category-class "BR"
    }
  }
}
)";

constexpr const char* kDaemonSettings[] = {"KAVDAEMON_SCRIPT", "KAVDAEMON_RECORD",
                                           "KAVDAEMON_IDLE_MS"};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool SameFolder(const char* reported, const fs::path& expected) {
    std::error_code error;
    return fs::equivalent(reported, expected, error) && !error;
}

std::set<std::string> TagsOf(const KUIDList& list) {
    std::set<std::string> tags;
    for (const KUID& kuid : list) tags.insert(std::string(kuid.ToTag().View()));
    return tags;
}

std::set<std::string> TagsOf(std::initializer_list<KUID> kuids) {
    std::set<std::string> tags;
    for (const KUID& kuid : kuids) tags.insert(std::string(kuid.ToTag().View()));
    return tags;
}

std::set<std::string> Query(const KAVFilterElement* filter) {
    KUIDList found;
    KAVClient::QueryAssets(filter, found);
    return TagsOf(found);
}

// The payload hex of a request that carries one daemon handle: the int64, little-endian.
std::string HandleHex(int64_t handle) {
    std::string hex;
    for (int byte = 0; byte < 8; ++byte) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x",
                      static_cast<unsigned>(static_cast<uint64_t>(handle) >> (8 * byte) & 0xFF));
        hex += digits;
    }
    return hex;
}

// The process id that the discovery block names as the database's owner; 0 when none.
pid_t DaemonIdFromBlock() {
    KAVDiscoveryNames names;
    if (!BuildDiscoveryNames(KAVUserData::GetDatabasePath().View(), names)) return 0;
    KAVDiscoveryObjects objects;
    switch (objects.Open(names)) {
    case KAVDiscoveryObjects::Join::kFailed: return 0;
    case KAVDiscoveryObjects::Join::kNew: objects.Unlock(); return 0;
    case KAVDiscoveryObjects::Join::kExisting: break;
    }
    const int32_t owner = objects.Block().Get(KAVIpcBlock::kOwnerId);
    return owner > 0 ? owner : 0;
}

class KAVAssetTableProcessTest : public KAVDaemonProcessFixture {
protected:
    void SetUp() override {
        KAVDaemonProcessFixture::SetUp();
        if (HasFatalFailure()) return;
        WriteFile(ScriptPath(), kSeed);
        setenv("KAVDAEMON_SCRIPT", ScriptPath().c_str(), 1);
        setenv("KAVDAEMON_RECORD", RecordPath().c_str(), 1);
        // A daemon that outlives its test ends by itself soon.
        setenv("KAVDAEMON_IDLE_MS", "60000", 1);
        KAVClientStartOptions options;
        options.relaunch = false;
        ASSERT_TRUE(KAVClient::Start(options));
        daemonId_ = DaemonIdFromBlock();
        ASSERT_GT(daemonId_, 0);
        ASSERT_EQ(ProcessesRunning(Daemon()), std::vector<pid_t>{daemonId_});
    }

    void TearDown() override {
        KAVClient::CloseDaemon();
        if (daemonId_ > 0) {
            EXPECT_TRUE(WaitUntilEnded(daemonId_)) << "request 270 left it running";
        }
        KAVDaemonProcessFixture::TearDown();
        if (daemonId_ > 0 && IsOurDaemon(daemonId_)) {
            kill(daemonId_, SIGKILL);
            EXPECT_TRUE(WaitUntilEnded(daemonId_));
        }
        for (const char* name : kDaemonSettings) unsetenv(name);
    }

    fs::path ScriptPath() const { return fs::path(install_.Root()) / "script.txt"; }
    fs::path RecordPath() const { return fs::path(install_.Root()) / "record.txt"; }
    fs::path UserData(const std::string& relative) const {
        return fs::path(install_.Path("UserData/" + relative));
    }

    bool IsOurDaemon(pid_t id) const {
        std::error_code ignored;
        return fs::read_symlink("/proc/" + std::to_string(id) + "/exe", ignored) == Daemon();
    }

    // Waits up to 10 s for the process to end (a zombie counts as ended).
    bool WaitUntilEnded(pid_t id) const {
        for (int i = 0; i < 400; ++i) {
            if (!IsOurDaemon(id)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    // How often the daemon was asked to close each handle (request 31), by payload hex.
    std::map<std::string, int> CloseRequests() const {
        std::map<std::string, int> closes;
        std::ifstream in(RecordPath());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("request ", 0) != 0 || line.find(" id=31 ") == std::string::npos) {
                continue;
            }
            const size_t data = line.find(" data=");
            if (data != std::string::npos) ++closes[line.substr(data + 6)];
        }
        return closes;
    }

    pid_t daemonId_ = 0;
};

// The way the commands use the wrappers: an edit copy outlives the handle that made it;
// "commit" opens for edit again and commits; "revert" opens without edit and discards the
// edits through a copy of the handle.
TEST_F(KAVAssetTableProcessTest, EditCommitRevertAndDeleteMoveTheAssetFolders) {
    ResultsLog log;
    std::map<std::string, int> expectedCloses;
    Kiv::PString location;
    Kiv::File::Path path;

    // Open for edit: the folder is copied into "editing", and the handle names the copy.
    {
        KAVAssetHandle edit = KAVClient::OpenAsset(kCoalWagon, true, &log);
        ASSERT_TRUE(edit.IsValid());
        EXPECT_TRUE(edit.IsForEdit());
        expectedCloses[HandleHex(edit.Record()->daemonHandle)] = 1;
        ASSERT_TRUE(edit.FetchDetails(location, path));
        EXPECT_EQ(location.View(), "editing");
        EXPECT_TRUE(SameFolder(path.c_str(), UserData("editing/coal_wagon")));
        EXPECT_EQ(ReadFile(fs::path(path.c_str()) / "notes.txt"), "first");
        WriteFile(fs::path(path.c_str()) / "notes.txt", "second");
        WriteFile(fs::path(path.c_str()) / "config.txt",
                  "kuid <kuid:12:1>\nusername \"Coal wagon\"\ncategory-class \"BR\"\n");
    }
    EXPECT_EQ(ReadFile(UserData("local/coal_wagon/notes.txt")), "first");
    KAVAssetInfo editing;
    ASSERT_TRUE(KAVClient::GetAssetInfo(kCoalWagon, editing, -1));
    EXPECT_EQ(editing.flags2 & 0x01, 0x01);  // open for edit
    EXPECT_EQ(editing.categoryText.View(), "TV");

    // Commit: opening for edit again finds the changed copy, which replaces the local
    // folder; the database reads the changed config.
    {
        KAVAssetHandle edit = KAVClient::OpenAsset(kCoalWagon, true, nullptr);
        ASSERT_TRUE(edit.IsValid());
        expectedCloses[HandleHex(edit.Record()->daemonHandle)] = 1;
        ASSERT_TRUE(edit.FetchDetails(location, path));
        EXPECT_EQ(ReadFile(fs::path(path.c_str()) / "notes.txt"), "second");
        bool secondResult = true;
        ASSERT_TRUE(KAVClient::CommitAsset(edit, 0, &log, secondResult));
        EXPECT_FALSE(edit.IsForEdit());
        ASSERT_TRUE(edit.FetchDetails(location, path));  // asked again after the commit
        EXPECT_EQ(location.View(), "local");
        EXPECT_TRUE(SameFolder(path.c_str(), UserData("local/coal_wagon")));
    }
    EXPECT_EQ(ReadFile(UserData("local/coal_wagon/notes.txt")), "second");
    EXPECT_FALSE(fs::exists(UserData("editing/coal_wagon")));
    EXPECT_TRUE(KAVClient::IsAssetLocallyModified(kCoalWagon));
    KAVAssetInfo committed;
    ASSERT_TRUE(KAVClient::GetAssetInfo(kCoalWagon, committed, -1));
    EXPECT_EQ(committed.flags2 & 0x01, 0);
    EXPECT_EQ(committed.categoryText.View(), "BR");
    const KAVFilterElementString bridges(1, Kiv::PString("BR"));
    EXPECT_EQ(Query(&bridges), TagsOf({kCoalWagon, kBridge}));

    // Edit again, then revert: the copy goes, the committed content stays.
    {
        KAVAssetHandle edit = KAVClient::OpenAsset(kCoalWagon, true, &log);
        ASSERT_TRUE(edit.IsValid());
        expectedCloses[HandleHex(edit.Record()->daemonHandle)] = 1;
        ASSERT_TRUE(edit.FetchDetails(location, path));
        EXPECT_EQ(ReadFile(fs::path(path.c_str()) / "notes.txt"), "second");
        WriteFile(fs::path(path.c_str()) / "notes.txt", "third");
    }
    {
        KAVAssetHandle open = KAVClient::OpenAsset(kCoalWagon, false, nullptr);
        ASSERT_TRUE(open.IsValid());
        expectedCloses[HandleHex(open.Record()->daemonHandle)] = 1;
        KAVAssetHandle copy;
        copy.Copy(open);
        ASSERT_TRUE(KAVClient::RevertAsset(copy, &log));
    }
    EXPECT_FALSE(fs::exists(UserData("editing/coal_wagon")));
    EXPECT_EQ(ReadFile(UserData("local/coal_wagon/notes.txt")), "second");
    KAVAssetInfo reverted;
    ASSERT_TRUE(KAVClient::GetAssetInfo(kCoalWagon, reverted, -1));
    EXPECT_EQ(reverted.flags2 & 0x01, 0);

    // Delete: the folder moves to the trash and the database forgets the asset.
    ASSERT_TRUE(KAVClient::DeleteAsset(kCoalWagon, false, &log));
    EXPECT_FALSE(fs::exists(UserData("local/coal_wagon")));
    EXPECT_EQ(ReadFile(UserData("trash/coal_wagon/notes.txt")), "second");
    KAVAssetInfo deleted;
    EXPECT_FALSE(KAVClient::GetAssetInfo(kCoalWagon, deleted, -1));
    EXPECT_FALSE(KAVClient::OpenAsset(kCoalWagon, true, &log).IsValid());
    const KAVFilterElementGroup everything;
    EXPECT_EQ(Query(&everything), TagsOf({kBoxVan, kTender, kBridge}));
    EXPECT_FALSE(KAVClient::DeleteAsset(kCoalWagon, false, &log));

    EXPECT_EQ(CloseRequests(), expectedCloses);
}

// Builders of filters over the category list ("category-list", string type 1).
std::unique_ptr<KAVFilterElement> Category(const char* value) {
    return std::make_unique<KAVFilterElementString>(1, Kiv::PString(value));
}

std::unique_ptr<KAVFilterElement> NotCategory(const char* value) {
    auto root = std::make_unique<KAVFilterElementGroup>();
    KAVFilterElementGroup::OpenSubgroup(*root, Category(value));
    return root;
}

// "TV" or "BR" as the tool writes it: not (not "TV" and not "BR").
std::unique_ptr<KAVFilterElement> EitherCategoryByNegation() {
    auto root = std::make_unique<KAVFilterElementGroup>();
    KAVFilterElementGroup::OpenSubgroup(*root, Category("TV"));
    KAVFilterElementGroup::OpenSubgroup(*root, Category("BR"));
    root->SetNegate(true);
    return root;
}

// "TV" or "BR" as one group of mode 0, from bytes written by hand and read by the client.
std::unique_ptr<KAVFilterElement> EitherCategoryByMode() {
    const unsigned char bytes[] = {
        'p', 'u', 'r', 'g', 0, 0, 2, 0, 0, 0,                        // group, any child, 2
        'n', 'r', 't', 's', 1, 0, 0, 0, 3, 0, 0, 0, 'T', 'V', 0, 0,  // category "TV"
        'n', 'r', 't', 's', 1, 0, 0, 0, 3, 0, 0, 0, 'B', 'R', 0, 0,  // category "BR"
    };
    BufferStream stream;
    stream.Stream().WriteBytes(bytes, sizeof bytes);
    stream.Stream().Rewind();
    return KAVFilterElement::ReadNew(stream.Stream());
}

// The consist-import search: category "TV", installed, locally available, listing
// privilege, and a negated group holding "obsolete". The daemon judges neither listing
// privilege nor obsolescence; such conditions must not exclude an asset, negated or not.
std::unique_ptr<KAVFilterElement> ImportableOfCategory(const char* value) {
    auto root = std::make_unique<KAVFilterElementGroup>(Category(value));
    for (int32_t type : {0, 3, 16}) root->Append(std::make_unique<KAVFilterElementBool>(type));
    KAVFilterElementGroup::OpenSubgroup(*root, std::make_unique<KAVFilterElementBool>(5));
    return root;
}

TEST_F(KAVAssetTableProcessTest, CategoryQueriesFindExactlySeededAssets) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<KAVFilterElement>()> filter;
        std::set<std::string> expected;
    };
    const Case cases[] = {
        {"TV", [] { return Category("TV"); }, TagsOf({kCoalWagon, kBoxVan})},
        {"TVS", [] { return Category("TVS"); }, TagsOf({kTender})},
        {"BR", [] { return Category("BR"); }, TagsOf({kBridge})},
        {"no such category", [] { return Category("T"); }, {}},
        {"not TV", [] { return NotCategory("TV"); }, TagsOf({kTender, kBridge})},
        {"TV or BR by negation", EitherCategoryByNegation, TagsOf({kCoalWagon, kBoxVan, kBridge})},
        {"TV or BR by mode 0", EitherCategoryByMode, TagsOf({kCoalWagon, kBoxVan, kBridge})},
        {"TV to import", [] { return ImportableOfCategory("TV"); }, TagsOf({kCoalWagon, kBoxVan})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<KAVFilterElement> filter = c.filter();
        ASSERT_TRUE(filter);
        EXPECT_EQ(Query(filter.get()), c.expected);
    }
    // Every filter was read whole; only the two conditions above went unjudged.
    const std::string record = ReadFile(RecordPath());
    EXPECT_EQ(record.find("refused"), std::string::npos);
    EXPECT_NE(record.find("unevaluated bool type=16"), std::string::npos);
    EXPECT_NE(record.find("unevaluated bool type=5"), std::string::npos);
}

TEST_F(KAVAssetTableProcessTest, CopiesOfAHandleCloseTheDaemonHandleOnce) {
    std::map<std::string, int> expectedCloses;
    {
        KAVAssetHandle wagon = KAVClient::OpenAsset(kCoalWagon, false, nullptr);
        KAVAssetHandle van = KAVClient::OpenAsset(kBoxVan, false, nullptr);
        ASSERT_TRUE(wagon.IsValid());
        ASSERT_TRUE(van.IsValid());
        EXPECT_NE(wagon.Record()->daemonHandle, van.Record()->daemonHandle);
        const std::string wagonHandle = HandleHex(wagon.Record()->daemonHandle);
        const std::string vanHandle = HandleHex(van.Record()->daemonHandle);
        expectedCloses = {{wagonHandle, 1}, {vanHandle, 1}};

        Kiv::PString location;
        Kiv::File::Path path;
        ASSERT_TRUE(wagon.FetchDetails(location, path));
        EXPECT_EQ(location.View(), "local");
        EXPECT_TRUE(SameFolder(path.c_str(), UserData("local/coal_wagon")));
        EXPECT_FALSE(fs::exists(UserData("editing/coal_wagon")));

        KAVAssetHandle copy(wagon);
        KAVAssetHandle other(van);
        KAVAssetHandle third(van);
        other = wagon;
        third.Copy(copy);  // the van keeps one reference, in van
        third.Copy(third);
        EXPECT_TRUE(CloseRequests().empty());
        van.Release();  // the van's last reference
        EXPECT_EQ(CloseRequests(), (std::map<std::string, int>{{vanHandle, 1}}));
        wagon.Release();
        copy.Release();
        third.Release();
        EXPECT_EQ(CloseRequests(), (std::map<std::string, int>{{vanHandle, 1}}));
        // An asset the daemon does not know gives no handle, and so nothing to close.
        KAVAssetHandle unknown = KAVClient::OpenAsset(KUID(12, 99, 0), false, nullptr);
        EXPECT_FALSE(unknown.IsValid());
    }  // other, the wagon's last reference
    EXPECT_EQ(CloseRequests(), expectedCloses);
}

}  // namespace
