// KAVUserData in a private installation: the stored folders, the migration of older
// items into UserData (and a second start-up that finds them there), the ten folders, the
// seven databases and the two locations, location folders, relative paths and the
// splitting of asset paths, and the two fatal ends.
#include "link/kav/kav_user_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "content3d/resource_database.h"
#include "engine/path_policy.h"
#include "kav_test_installation.h"

namespace {

namespace fs = std::filesystem;

class KAVUserDataTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(installation_.Ok()); }
    void TearDown() override {
        KAVUserData::ReleaseDatabases();
        KodrinResourceDatabase::PurgeAll();
        KAVUserData::Clear();
    }

    void Start() { ASSERT_TRUE(KAVUserData::SetInstallPath(installation_.Install().c_str())); }
    std::string Stored(const std::string& relative = "") const {
        return installation_.StoredInstall() + relative;
    }

    KavTestInstallation installation_;
};

TEST_F(KAVUserDataTest, InstallPathIsStoredNormalisedAndUserDataIsMade) {
    // Forward slashes, a "." step, capitals and a trailing slash.
    const std::string given = installation_.Root() + "/./Install/";
    ASSERT_TRUE(KAVUserData::SetInstallPath(given.c_str()));
    EXPECT_TRUE(fs::is_directory(installation_.Path("UserData")));
    EXPECT_TRUE(fs::is_empty(installation_.Path("UserData"))); // the write check left nothing

    const struct {
        Kiv::File::Path path;
        std::string expected;
    } folders[] = {
        {KAVUserData::GetInstallFolder(), Stored()},
        {KAVUserData::GetUserDataFolder(), Stored("\\UserData")},
        {KAVUserData::GetBuiltinFolder(), Stored("\\builtin")},
        {KAVUserData::GetCacheFolder(), Stored("\\UserData\\cache")},
        {KAVUserData::GetDatabasePath(), Stored("\\UserData\\assets.tdx")},
        {KAVUserData::GetDaemonPath(), Stored("\\bin\\kavdaemon")},
    };
    for (const auto& folder : folders)
        EXPECT_EQ(folder.path.View(), folder.expected);
}

TEST_F(KAVUserDataTest, OlderItemsMoveIntoUserDataOnce) {
    const char* items[] = {"original/a.txt",      "local/kuid 1 2/config.txt",
                           "editing/e.txt",       "cache/c.txt",
                           "trash/t.txt",         "settings/s.txt",
                           "screenshots/shot.jpg"};
    for (const char* item : items)
        installation_.WriteFile(item, item);
    installation_.WriteFile("assets.tdx", "table");
    installation_.WriteFile("scripts/keep.gs", "stays");
    Start();
    for (const char* item : items) {
        EXPECT_TRUE(fs::is_regular_file(installation_.Path(std::string("UserData/") + item)))
            << item;
        EXPECT_FALSE(fs::exists(installation_.Path(item))) << item;
    }
    EXPECT_TRUE(fs::is_regular_file(installation_.Path("UserData/assets.tdx")));
    EXPECT_TRUE(fs::is_regular_file(installation_.Path("scripts/keep.gs")));

    // A second start-up: the items are in UserData already, so a new one stays put and
    // the moved one is not replaced.
    KAVUserData::Clear();
    installation_.WriteFile("local/newer.txt", "newer");
    Start();
    EXPECT_TRUE(fs::is_regular_file(installation_.Path("local/newer.txt")));
    EXPECT_TRUE(fs::is_regular_file(installation_.Path("UserData/local/kuid 1 2/config.txt")));
    EXPECT_FALSE(fs::exists(installation_.Path("UserData/local/newer.txt")));
    EXPECT_FALSE(KAVUserData::MoveFromInstallFolder("local"));
    EXPECT_FALSE(KAVUserData::MoveFromInstallFolder(""));
}

TEST_F(KAVUserDataTest, CreateFoldersMakesFoldersDatabasesAndLocations) {
    Start();
    const int32_t entriesBefore = KodrinResourceDatabase::GetEntryCount();
    KAVUserData::CreateFolders();
    for (const char* folder :
         {"cache", "trash", "cache/bookmarks", "cache/libraries", "cache/sessions", "cache/water",
          "local", "original", "editing", "settings"}) {
        EXPECT_TRUE(fs::is_directory(installation_.Path(std::string("UserData/") + folder)))
            << folder;
    }
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), entriesBefore + 7);
    const struct {
        const char* location;
        std::string base;
    } databases[] = {
        {"data", Stored()},
        {"local", Stored("\\UserData")},
        {"original", Stored("\\UserData")},
        {"trash", Stored("\\UserData")},
        {"editing", Stored("\\UserData")},
        {"cache", Stored("\\UserData")},
        {"settings", Stored("\\UserData")},
    };
    for (const auto& database : databases) {
        KodrinResourceDatabase* opened =
            KodrinResourceDatabase::Open(Kiv::PString(database.location), "elsewhere");
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(std::string(opened->GetBasePath()), database.base) << database.location;
        KodrinResourceDatabase::Release(opened);
    }
    EXPECT_EQ(Kiv::PathPolicy::Resolve("scripts\\a.gs"), installation_.Path("scripts/a.gs"));
    EXPECT_EQ(Kiv::PathPolicy::Resolve("libraries/b.gsl"), installation_.Path("libraries/b.gsl"));

    KAVUserData::ReleaseDatabases();
    EXPECT_EQ(Kiv::PathPolicy::Resolve("scripts/a.gs"), "scripts/a.gs");
    EXPECT_EQ(Kiv::PathPolicy::Resolve("libraries/b.gsl"), "libraries/b.gsl");
    KodrinResourceDatabase::PurgeAll(); // every database was released, so all go
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), entriesBefore);
}

TEST_F(KAVUserDataTest, WithoutAnInstallationFolderNothingIsMadeOrFound) {
    const int32_t entriesBefore = KodrinResourceDatabase::GetEntryCount();
    KAVUserData::CreateFolders();
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), entriesBefore);
    EXPECT_TRUE(KAVUserData::GetInstallFolder().IsEmpty());
    EXPECT_TRUE(KAVUserData::GetCacheFolder().IsEmpty());
    EXPECT_TRUE(KAVUserData::GetDatabasePath().IsEmpty());
    EXPECT_TRUE(KAVUserData::GetDaemonPath().IsEmpty());
    EXPECT_TRUE(KAVUserData::GetLocationFolder(Kiv::PString("local")).IsEmpty());
    EXPECT_FALSE(KAVUserData::MoveFromInstallFolder("local"));

    Kiv::PString location("local");
    Kiv::File::Path path("/x/UserData/local/a");
    EXPECT_FALSE(KAVUserData::SplitAssetPath(location, path));
    EXPECT_TRUE(location.IsEmpty());
    EXPECT_TRUE(path.IsEmpty());
    Kiv::File::Path relative("/x/UserData/a");
    EXPECT_FALSE(KAVUserData::MakeUserDataRelative(relative));
    EXPECT_EQ(relative.View(), "/x/UserData/a");
}

TEST_F(KAVUserDataTest, LocationNamesMapExactlyToTheirFolders) {
    Start();
    const struct {
        const char* location;
        std::string folder;
    } cases[] = {
        {"local", Stored("\\UserData\\local")},
        {"settings", Stored("\\UserData\\settings")},
        {"cache", Stored("\\UserData\\cache")},
        {"Local", Stored("\\Local")},
        {"base", Stored("\\base")},
        {"data", Stored("\\data")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KAVUserData::GetLocationFolder(Kiv::PString(c.location)).View(), c.folder)
            << c.location;
    }
}

TEST(KAVUserDataPaths, MakeRelativePathKeepsToTheBaseFolder) {
    const struct {
        const char* base;
        const char* full;
        bool result;
        const char* out; // "keep": out not written
    } cases[] = {
        {"/A/B", "/a/b/C/d.txt", true, "C\\d.txt"}, // compared ignoring case, kept in it
        {"\\a\\.\\b", "/a/b/../b/c", true, "c"},
        {"/a/b/", "/a/b", true, ""},    // the same folder
        {"/a/b", "/a/b2/c", false, ""}, // a sibling whose name begins with the base's
        {"/a/b", "/x/y", false, "keep"},
        {"/a/b", "/a", false, "keep"},
        {"", "/a", false, ""},
        {"/a", "", false, ""},
    };
    for (const auto& c : cases) {
        Kiv::File::Path out("keep");
        EXPECT_EQ(KAVUserData::MakeRelativePath(c.base, c.full, out), c.result)
            << c.base << " " << c.full;
        EXPECT_EQ(out.View(), c.out) << c.base << " " << c.full;
    }
}

TEST_F(KAVUserDataTest, AssetPathsSplitIntoLocationAndRelativePath) {
    Start();
    const std::string install = installation_.Install();
    const struct {
        std::string path;
        bool result;
        const char* location;
        const char* relative;
    } cases[] = {
        {install + "/UserData/local/KUID 1 2/config.txt", true, "local", "KUID 1 2\\config.txt"},
        {install + "/UserData/Editing/x", true, "editing", "x"},
        {install + "/builtin/Pack1/a/b.txt", true, "builtin\\pack1", "a\\b.txt"},
        {install + "/Base/a.txt", true, "base", "a.txt"},
        {install + "/data/x/y", true, "data", "x\\y"},
        {install + "/UserData", false, "", ""}, // the folder itself falls through
        {install + "/other/x", false, "", ""},
        {install + "2/data/x", false, "", ""},
    };
    for (const auto& c : cases) {
        Kiv::PString location;
        Kiv::File::Path path(c.path.c_str());
        EXPECT_EQ(KAVUserData::SplitAssetPath(location, path), c.result) << c.path;
        EXPECT_EQ(location.View(), c.location) << c.path;
        EXPECT_EQ(path.View(), c.relative) << c.path;
    }

    Kiv::PString given("trash");
    Kiv::File::Path untouched("/anything/At/All");
    EXPECT_TRUE(KAVUserData::SplitAssetPath(given, untouched));
    EXPECT_EQ(given.View(), "trash");
    EXPECT_EQ(untouched.View(), "/anything/At/All");

    Kiv::File::Path below((install + "/UserData/Cache/Sessions/s1").c_str());
    EXPECT_TRUE(KAVUserData::MakeUserDataRelative(below));
    EXPECT_EQ(below.View(), "Cache\\Sessions\\s1");
}

TEST_F(KAVUserDataTest, FatalWithoutPathOrWithoutWritableUserData) {
    EXPECT_EXIT(KAVUserData::SetInstallPath(Kiv::File::Path()), ::testing::ExitedWithCode(1),
                "Unable to determine application installation path\\.");
    installation_.WriteFile("UserData", "a file where the folder belongs");
    EXPECT_EXIT(KAVUserData::SetInstallPath(installation_.Install().c_str()),
                ::testing::ExitedWithCode(1),
                "Unable to acquire write access to UserData folder\\.");
}

} // namespace
