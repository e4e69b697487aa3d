// The registry of per-folder resource databases: shared by folder name with a user count,
// the ".ka" archive beside a folder preferred over it, 256 entries at most with one purge
// before a refusal, the base path of a later open ignored, the holder's empty name, and an
// unpaired release refused so the database can still be purged.
#include "content3d/resource_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content3d/resource_database_holder.h"
#include "engine/resource_archive.h"
#include "engine/resource_archive_writer.h"
#include "engine/temp_folder.h"

namespace {

std::string Read(Kiv::ResourceDatabase* database, const char* name) {
    std::vector<uint8_t> bytes;
    if (!database || !database->ReadFile(name, bytes)) return "<none>";
    return std::string(bytes.begin(), bytes.end());
}

class ResourceDatabaseRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        KodrinResourceDatabase::PurgeAll();
        ASSERT_EQ(KodrinResourceDatabase::GetEntryCount(), 0);
    }
    void TearDown() override { KodrinResourceDatabase::PurgeAll(); }

    TempFolder temp;
};

TEST_F(ResourceDatabaseRegistryTest, TheSameNameGivesTheSameDatabaseUntilBothReleasesAndAPurge) {
    const Kiv::PString name("kivreg_cache");
    KodrinResourceDatabase* first = KodrinResourceDatabase::Open(name, temp.Root().c_str());
    KodrinResourceDatabase* second = KodrinResourceDatabase::Open(name, temp.Root().c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(KodrinResourceDatabase::GetUserCount(first), 2);
    KodrinResourceDatabase::Release(first);
    KodrinResourceDatabase::PurgeUnused();
    EXPECT_EQ(KodrinResourceDatabase::GetUserCount(first), 1);
    KodrinResourceDatabase::Release(second);
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), 1);  // released, still cached
    KodrinResourceDatabase::PurgeUnused();
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), 0);
}

TEST_F(ResourceDatabaseRegistryTest, AnExtraReleaseIsRefusedAndTheDatabaseIsStillPurged) {
    KodrinResourceDatabase* database =
        KodrinResourceDatabase::Open(Kiv::PString("kivreg_extra"), temp.Root().c_str());
    KodrinResourceDatabase::Release(database);
    KodrinResourceDatabase::Release(database);
    EXPECT_EQ(KodrinResourceDatabase::GetUserCount(database), 0);
    KodrinResourceDatabase::Release(nullptr);
    KodrinResourceDatabase::PurgeUnused();
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), 0);
}

TEST_F(ResourceDatabaseRegistryTest, TheArchiveBesideAFolderIsReadInsteadOfTheFolder) {
    temp.MakeFolder("kivreg_both");
    temp.WriteFile("kivreg_both/f.txt", "loose");
    temp.MakeFolder("kivreg_folder");
    temp.WriteFile("kivreg_folder/f.txt", "folder only");
    Kiv::ResourceArchiveWriter writer;
    writer.Add("f.txt", "packed");
    ASSERT_TRUE(writer.Write(temp.Path("kivreg_both.ka").c_str()));

    KodrinResourceDatabase* both = KodrinResourceDatabase::Open(Kiv::PString("kivreg_both"), temp.Root().c_str());
    KodrinResourceDatabase* folder = KodrinResourceDatabase::Open(Kiv::PString("kivreg_folder"), temp.Root().c_str());
    ASSERT_NE(both, nullptr);
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(both->IsArchiveBacked());
    EXPECT_EQ(Read(both, "f.txt"), "packed");
    EXPECT_FALSE(folder->IsArchiveBacked());
    EXPECT_EQ(Read(folder, "f.txt"), "folder only");
    KodrinResourceDatabase::Release(both);
    KodrinResourceDatabase::Release(folder);
    KodrinResourceDatabase::PurgeUnused();
    EXPECT_EQ(Kiv::ResourceArchive::FindMounted("kivreg_both"), nullptr);  // substitution removed
}

TEST_F(ResourceDatabaseRegistryTest, AnUnreadableArchiveMakesNoDatabase) {
    temp.WriteFile("kivreg_broken.ka", "not an archive");
    EXPECT_EQ(KodrinResourceDatabase::Open(Kiv::PString("kivreg_broken"), temp.Root().c_str()), nullptr);
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), 0);
}

TEST_F(ResourceDatabaseRegistryTest, ASecondBasePathIsIgnored) {
    temp.MakeFolder("a/kivreg_two");
    temp.WriteFile("a/kivreg_two/f.txt", "from a");
    temp.MakeFolder("b/kivreg_two");
    temp.WriteFile("b/kivreg_two/f.txt", "from b");
    const Kiv::PString name("kivreg_two");
    KodrinResourceDatabase* first = KodrinResourceDatabase::Open(name, temp.Path("a").c_str());
    KodrinResourceDatabase* second = KodrinResourceDatabase::Open(name, temp.Path("b").c_str());
    EXPECT_EQ(first, second);
    EXPECT_EQ(Read(second, "f.txt"), "from a");
    KodrinResourceDatabase::Release(first);
    KodrinResourceDatabase::Release(second);
}

TEST_F(ResourceDatabaseRegistryTest, AFullRegistryPurgesOnceThenRefuses) {
    std::vector<KodrinResourceDatabase*> open;
    for (int i = 0; i < KodrinResourceDatabase::kMaxEntries; ++i) {
        open.push_back(KodrinResourceDatabase::Open(Kiv::PString::Setf("kivreg_%d", i), temp.Root().c_str()));
        ASSERT_NE(open.back(), nullptr) << i;
    }
    KodrinResourceDatabase::Release(open[7]);
    KodrinResourceDatabase* extra = KodrinResourceDatabase::Open(Kiv::PString("kivreg_257"), temp.Root().c_str());
    ASSERT_NE(extra, nullptr);  // the unused one made room
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), KodrinResourceDatabase::kMaxEntries);
    open[7] = extra;
    EXPECT_EQ(KodrinResourceDatabase::Open(Kiv::PString("kivreg_258"), temp.Root().c_str()), nullptr);
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), KodrinResourceDatabase::kMaxEntries);
    for (KodrinResourceDatabase* database : open) KodrinResourceDatabase::Release(database);
}

TEST_F(ResourceDatabaseRegistryTest, TheHolderHoldsNoneForAnEmptyNameAndReleasesOnClose) {
    ResourceDatabaseHolder::SetInstallFolder(temp.Root().c_str());
    ResourceDatabaseHolder holder;
    EXPECT_TRUE(holder.Open(""));
    EXPECT_EQ(holder.GetDatabase(), nullptr);
    EXPECT_TRUE(holder.Open(nullptr));
    EXPECT_EQ(KodrinResourceDatabase::GetEntryCount(), 0);

    temp.MakeFolder("kivreg_held");
    temp.WriteFile("kivreg_held/f.txt", "held");
    ASSERT_TRUE(holder.Open("kivreg_held"));
    EXPECT_EQ(Read(holder.GetDatabase(), "f.txt"), "held");
    KodrinResourceDatabase* held = holder.GetDatabase();
    EXPECT_EQ(KodrinResourceDatabase::GetUserCount(held), 1);
    holder.Close();
    EXPECT_FALSE(holder.IsOk());
    EXPECT_EQ(holder.GetDatabase(), nullptr);
    EXPECT_EQ(KodrinResourceDatabase::GetUserCount(held), 0);
    ResourceDatabaseHolder::SetInstallFolder(nullptr);
}

}  // namespace
