// The daemon's answers about settings, user names, URL fetches, the build list, lookups,
// dependencies, favourites, keywords, local data and config soups, with payloads written
// by hand; the table file keeping the changes for a daemon started again; seeding scripts
// that are refused; deletions that keep earlier deletions and edits in the trash; the
// repair of "local" after a kill.
#include <algorithm>

#include "asset_test_fixture.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/buffer_stream.h"

namespace {

using namespace asset_test;

const char kSeed[] = R"(localuser
{
  user 12
  next 5
}
authors
{
  0
  {
    id 12
    account 700
    name "Ann"
  }
}
settings
{
  internet
  {
    language "en"
  }
}
urls
{
  0
  {
    url "https://example.org/a"
    file "/tmp/a.cdp"
    status 0
    text "done"
  }
}
builds "3.5"
assets
{
  0
  {
    folder "wagon"
    config
    {
      kuid <kuid2:12:1:2>
      username "Wagon"
      description "A wagon"
      category-keyword "coal"
      kuid-table
      {
        0 <kuid:12:7>
      }
      obsolete-table
      {
        0 <kuid:12:1>
      }
      thumbnails
      {
        0
        {
          image "art\\thumb.jpg"
          width 240
          height 180
        }
        1
        {
          image "art/../../outside.jpg"
          width 64
          height 64
        }
      }
    }
  }
  1
  {
    config
    {
      kuid <kuid:12:1>
      username "Wagon old"
    }
  }
}
)";

// <kuid2:12:1:2> (version 2 << 25 | user 12), <kuid:12:1>, <kuid:12:7>, <kuid:12:99>.
const std::string kWagon = Le32(1) + Le32(2u << 25 | 12);
const std::string kOldWagon = Le32(1) + Le32(12);
const std::string kTender = Le32(7) + Le32(12);
const std::string kUnknown = Le32(99) + Le32(12);

std::string SoupBytes(const ACSChunkRef& soup) {
    BufferStream buffer;
    TDBBinaryFile::WriteSoup(buffer.Stream(), soup);
    const auto size = static_cast<size_t>(buffer.Stream().Tell());
    return std::string(reinterpret_cast<const char*>(buffer.Buffer().GetData()), size);
}

ACSChunkRef SoupOf(const std::string& bytes) {
    BufferStream buffer;
    buffer.Stream().WriteBytes(bytes.data(), bytes.size());
    buffer.Stream().Rewind();
    ACSChunkRef soup;
    TDBBinaryFile::ReadSoup(soup, buffer.Stream());
    return soup;
}

std::string Tag(const ACSChunkRef& soup, const char* name) {
    return std::string(soup.GetNamedTag(Kiv::PString(name)).View());
}

class AssetTableTest : public AssetDaemonTest {
  protected:
    void SetUp() override { StartWith(kSeed); }
};

TEST_F(AssetTableTest, SettingsAreReadAndWrittenAndMaskedInTheRecord) {
    const std::string internet = PString("internet");
    EXPECT_EQ(Ask(102, internet + PString("language")), PString("en"));
    EXPECT_EQ(Ask(103, internet + PString("username") + PString("bob")), "");
    EXPECT_EQ(Ask(102, internet + PString("username")), PString("bob"));
    EXPECT_EQ(Ask(102, internet + PString("nothing")), Le32(0));
    EXPECT_EQ(Ask(102, PString("nosection") + PString("language")), Le32(0));

    ACSChunkRef other;
    other.SetNamedTagString(Kiv::PString("volume"), "7");
    EXPECT_EQ(Ask(101, PString("sound") + SoupBytes(other)), "");
    EXPECT_EQ(Ask(102, PString("sound") + PString("volume")), PString("7"));
    const ACSChunkRef read = SoupOf(Ask(100, internet));
    EXPECT_EQ(Tag(read, "language"), "en");
    EXPECT_EQ(Tag(read, "username"), "bob");

    // The record holds no settings text: "bob" is 62 6f 62.
    server_->Stop();
    for (const std::string& line : ReadLines(folder_.Path("record.txt"))) {
        EXPECT_EQ(line.find("626f62"), std::string::npos) << line;
    }
}

TEST_F(AssetTableTest, UserNamesUrlFetchesAndTheBuildList) {
    EXPECT_EQ(Ask(90, Le32(12)), Le32(700) + PString("Ann"));
    // An author the daemon knows no name of still has one.
    EXPECT_EQ(Ask(90, Le32(5)), Le32(0xFFFFFFFF) + PString("author 5"));
    EXPECT_EQ(Ask(253, ""), PString("3.5"));

    const std::string start = Bytes({0}) + PString("https://example.org/a") + Le32(2) +
                              Le32(0xFFFFFFFF) + SoupBytes(ACSChunkRef());
    EXPECT_EQ(Ask(230, start), Le32(1) + Le32(0));
    EXPECT_EQ(Ask(232, Le32(1) + Le32(0)), Bytes({1}) + Le32(0) + Le32(0) + Le32(0) +
                                               StringField("/tmp/a.cdp") + PString("done"));
    EXPECT_EQ(Ask(231, Le32(1) + Le32(0)), "");
    // A released or unknown fetch, and a URL outside the map: done, status 404, nothing.
    const std::string missing = Bytes({1}) + Le32(0) + Le32(404) + Le32(0) + Le32(0) + Le32(0);
    EXPECT_EQ(Ask(232, Le32(1) + Le32(0)), missing);
    const std::string other = Bytes({0}) + PString("https://example.org/b") + Le32(0) +
                              Le32(0xFFFFFFFF) + SoupBytes(ACSChunkRef());
    EXPECT_EQ(Ask(230, other), Le32(2) + Le32(0));
    EXPECT_EQ(Ask(232, Le32(2) + Le32(0)), missing);
}

TEST_F(AssetTableTest, LookupsOfKnownAndUnknownAssets) {
    const struct {
        int32_t id;
        std::string payload;
        std::string reply;
    } cases[] = {
        {26, kOldWagon, kOldWagon},
        {26, kUnknown, kUnknown},
        {27, kOldWagon, kWagon},
        {27, kUnknown, kUnknown},
        {28, kWagon, StringField("A wagon")},
        {28, kUnknown, Le32(0)},
        {23, kWagon + Bytes({0}), PString("local") + StringField(UserData("local/wagon"))},
        {23, kUnknown + Bytes({0}), Le32(0) + Le32(0)},
        {29, kWagon + Le32(0), PString("local") + StringField(UserData("local/wagon")) + Le32(1)},
        {29, kUnknown + Le32(0), Le32(0) + Le32(0) + Le32(0)},
        // A width asks for the thumbnail image of that width; one whose name leads out of
        // the asset's folder is none, as is a width the config does not have.
        {29, kWagon + Le32(240),
         PString("local") + StringField(UserData("local/wagon/art/thumb.jpg")) + Le32(1)},
        {29, kWagon + Le32(64), Le32(0) + Le32(0) + Le32(0)},
        {29, kWagon + Le32(100), Le32(0) + Le32(0) + Le32(0)},
        {29, kUnknown + Le32(240), Le32(0) + Le32(0) + Le32(0)},
        {43, kWagon, Le32(1) + kOldWagon},
        {43, kUnknown, Le32(0)},
        {42, Le32(3) + kWagon + kUnknown + kWagon, Le32(2) + kTender + kTender},
        // A count beyond the KUIDs present reads only those.
        {42, Le32(0xFFFFFFFF) + kWagon, Le32(1) + kTender},
        {58, "", Le32(5) + Le32(12)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ask(c.id, c.payload), c.reply) << c.id;

    EXPECT_EQ(Tag(SoupOf(Ask(20, kWagon)), "username"), "Wagon");
    EXPECT_TRUE(SoupOf(Ask(20, kUnknown)).IsNull());
}

// An asset open for editing lists what its edit copy's config names, before any commit.
TEST_F(AssetTableTest, DependencyListsOfAnAssetOpenForEditingComeFromItsEditCopy) {
    ASSERT_EQ(Ask(30, kWagon + Bytes({1})).substr(0, 8), Le32(1) + Le32(0));
    folder_.WriteFile("inst/UserData/editing/wagon/config.txt",
                      "kuid <kuid2:12:1:2>\nkuid-table\n{\n  0 <kuid:12:99>\n  1 <kuid:12:7>\n}\n"
                      "obsolete-table\n{\n}\n");
    EXPECT_EQ(Ask(42, Le32(1) + kWagon), Le32(2) + kUnknown + kTender);
    EXPECT_EQ(Ask(43, kWagon), Le32(0));
    // The installed copy still holds the seeded lists.
    EXPECT_EQ(table_->Find(KUID(12, 1, 2))->dependencies, std::vector<KUID>{KUID(12, 7, 0)});
}

TEST_F(AssetTableTest, ChangesOutliveTheDaemon) {
    EXPECT_EQ(Ask(50, kWagon + Bytes({1})), "");
    EXPECT_EQ(Ask(54, kWagon + StringField("coal;open")), "");
    ACSChunkRef data;
    data.SetNamedTagString(Kiv::PString("seen"), "yes");
    EXPECT_EQ(Ask(122, kWagon + PString("visits") + SoupBytes(data)), "");
    EXPECT_EQ(Tag(SoupOf(Ask(121, kWagon + PString("visits"))), "seen"), "yes");
    EXPECT_TRUE(SoupOf(Ask(121, kWagon + PString("other"))).IsNull());
    EXPECT_EQ(Ask(103, PString("internet") + PString("language") + PString("fr")), "");
    // Request 21: the keywords String comes after the KUID, the name and the region.
    const std::string info = Ask(21, kWagon + Le32(0xFFFFFFFF));
    EXPECT_EQ(info.substr(8 + 9 + 4, 13), StringField("coal;open"));
    EXPECT_EQ(Ask(58, ""), Le32(5) + Le32(12));
    server_->Stop();

    AssetTable again(folder_.Path("inst"));
    std::string error;
    ASSERT_TRUE(again.Open(error)) << error;
    const std::optional<AssetRecord> wagon = again.Find(KUID(12, 1, 2));
    ASSERT_TRUE(wagon);
    EXPECT_EQ(wagon->rating, 5);
    EXPECT_EQ(wagon->keywords, "coal;open");
    EXPECT_EQ(wagon->flags[0], kFlagInstalled | 0x01);
    EXPECT_EQ(Tag(again.LocalData(KUID(12, 1, 2), "visits"), "seen"), "yes");
    EXPECT_EQ(Tag(again.Settings("internet"), "language"), "fr");
    EXPECT_EQ(again.GenerateKUID(), KUID(12, 6, 0));
    EXPECT_EQ(again.Author(12)->name, "Ann");
}

TEST(AssetTableFile, RecordsLeadingOutsideUserDataAreDropped) {
    TempFolder folder;
    folder.MakeFolder("inst/UserData");
    folder.MakeFolder("inst/victim");
    folder.WriteFile("inst/victim/keep.txt", "keep");
    folder.WriteFile("inst/UserData/kavtable.txt", R"(assets
{
  0
  {
    kuid <kuid:1:1>
    location "local"
    folder "../../victim"
  }
  1
  {
    kuid <kuid:1:2>
    location "/"
    folder "x"
  }
  2
  {
    kuid <kuid:1:3>
    location "local"
    folder "good"
  }
}
)");
    AssetTable table(folder.Path("inst"));
    std::string error;
    ASSERT_TRUE(table.Open(error)) << error;
    EXPECT_FALSE(table.Find(KUID(1, 1, 0)));
    EXPECT_FALSE(table.Find(KUID(1, 2, 0)));
    EXPECT_TRUE(table.Find(KUID(1, 3, 0)));
    EXPECT_FALSE(table.Delete(KUID(1, 1, 0)));
    EXPECT_EQ(folder.ReadFile("inst/victim/keep.txt"), "keep");
}

// Changes of records go to the journal beside the table file. A journal entry a crash cut
// short, and entries left from before the table file was last written whole, are ignored;
// the next start folds what is whole into a new table file, so later changes are kept.
TEST(AssetTableFile, AJournalCutShortKeepsEveryWholeChange) {
    TempFolder folder;
    const auto asset = [&folder](int content, const std::string& folderName) {
        folder.MakeFolder("inst/UserData/local/" + folderName);
        folder.WriteFile("inst/UserData/local/" + folderName + "/config.txt",
                         "kuid <kuid:12:" + std::to_string(content) + ">\nusername \"Asset " +
                             std::to_string(content) + "\"\n");
        return folder.Path("inst/UserData/local/" + folderName);
    };
    std::string error;
    {
        AssetTable table(folder.Path("inst"));
        ASSERT_TRUE(table.Open(error)) << error;
        ASSERT_TRUE(table.SetBuildList("3.5", &error)) << error; // the table file, whole
        for (int content = 1; content <= 3; ++content) {
            ASSERT_TRUE(table.Install(asset(content, "a" + std::to_string(content)), nullptr,
                                      error))
                << error;
        }
        ASSERT_TRUE(table.Delete(KUID(12, 2, 0)));
        ASSERT_TRUE(table.SetRating(KUID(12, 3, 0), 5));
    }
    const std::string journal = folder.ReadFile("inst/UserData/kavtable.changes");
    ASSERT_FALSE(journal.empty());
    // A whole entry of the older table file (its hash is FNV-1a 64 of the text), then a
    // torn one.
    folder.WriteFile("inst/UserData/kavtable.changes",
                     "@change 0 19 b88382bb0e28f773\nforget <kuid:12:1>\n" + journal +
                         "@change 1 900 12ab\nput\n{\n");
    {
        AssetTable table(folder.Path("inst"));
        ASSERT_TRUE(table.Open(error)) << error;
        EXPECT_TRUE(table.Find(KUID(12, 1, 0)));
        EXPECT_FALSE(table.Find(KUID(12, 2, 0)));
        ASSERT_TRUE(table.Find(KUID(12, 3, 0)));
        EXPECT_EQ(table.Find(KUID(12, 3, 0))->rating, 5);
        EXPECT_EQ(table.BuildList(), "3.5");
        ASSERT_TRUE(table.Install(asset(4, "a4"), nullptr, error)) << error;
    }
    AssetTable table(folder.Path("inst"));
    ASSERT_TRUE(table.Open(error)) << error;
    EXPECT_EQ(table.All().size(), 3u);
    EXPECT_TRUE(table.Find(KUID(12, 4, 0)));
    EXPECT_EQ(table.Find(KUID(12, 3, 0))->rating, 5);
}

TEST(AssetTableSeed, RefusesScriptsItCannotUse) {
    const struct {
        const char* asset;
        const char* error;
    } cases[] = {
        {"folder \"../out\"\nconfig\n{\nkuid <kuid:1:1>\n}\n", "bad folder name"},
        {"location \"trash\"\nconfig\n{\nkuid <kuid:1:1>\n}\n", "unknown location"},
        {"config\n{\nusername \"x\"\n}\n", "has no kuid"},
        {"config\n{\nkuid <kuid:1:1>\n}\nfiles\n{\n0\n{\nname \"a/b\"\n}\n}\n", "bad file name"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.WriteFile("script.txt", std::string("assets\n{\n0\n{\n") + c.asset + "}\n}\n");
        DaemonScript script;
        std::string error;
        ASSERT_TRUE(LoadDaemonScript(folder.Path("script.txt"), script, error)) << error;
        AssetTable table(folder.Path("inst"));
        ASSERT_TRUE(table.Open(error)) << error;
        EXPECT_FALSE(SeedAssetTable(table, script.seed, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_TRUE(error.rfind("assets/0: ", 0) == 0) << error;
        EXPECT_FALSE(folder.Exists("out"));
    }
}

// A script with one installed asset whose notes file holds text.
std::string WagonScript(const std::string& text) {
    return "assets\n{\n0\n{\nfolder \"wagon\"\nconfig\n{\nkuid <kuid:12:1>\n}\n"
           "files\n{\n0\n{\nname \"notes.txt\"\ntext \"" +
           text + "\"\n}\n}\n}\n}\n";
}

bool SeedFrom(TempFolder& folder, AssetTable& table, const std::string& script) {
    folder.WriteFile("script.txt", script);
    DaemonScript loaded;
    std::string error;
    return LoadDaemonScript(folder.Path("script.txt"), loaded, error) &&
           SeedAssetTable(table, loaded.seed, error);
}

// An asset deleted, seeded again (a daemon started again with its script) and deleted
// again: the second deletion keeps the first one's folder in the trash.
TEST(AssetTableTrash, DeletionsKeepWhatEarlierDeletionsMoved) {
    TempFolder folder;
    AssetTable table(folder.Path("inst"));
    std::string error;
    ASSERT_TRUE(table.Open(error)) << error;
    const KUID wagon(12, 1, 0);
    for (const char* text : {"one", "two", "three"}) {
        ASSERT_TRUE(SeedFrom(folder, table, WagonScript(text)));
        ASSERT_TRUE(table.Delete(wagon));
    }
    EXPECT_EQ(folder.ReadFile("inst/UserData/trash/wagon/notes.txt"), "one");
    EXPECT_EQ(folder.ReadFile("inst/UserData/trash/wagon.2/notes.txt"), "two");
    EXPECT_EQ(folder.ReadFile("inst/UserData/trash/wagon.3/notes.txt"), "three");
    EXPECT_FALSE(folder.Exists("inst/UserData/local/wagon"));
}

// A deletion whose folder cannot move fails without touching the edit copy.
TEST(AssetTableTrash, AFailedDeletionKeepsTheEditCopy) {
    TempFolder folder;
    AssetTable table(folder.Path("inst"));
    std::string error;
    ASSERT_TRUE(table.Open(error)) << error;
    ASSERT_TRUE(SeedFrom(folder, table, WagonScript("one")));
    const KUID wagon(12, 1, 0);
    ASSERT_TRUE(table.OpenForEdit(wagon));
    folder.WriteFile("inst/UserData/editing/wagon/notes.txt", "edited");
    std::filesystem::remove_all(folder.Path("inst/UserData/local/wagon"));

    EXPECT_FALSE(table.Delete(wagon));
    EXPECT_EQ(folder.ReadFile("inst/UserData/editing/wagon/notes.txt"), "edited");
    const std::optional<AssetRecord> record = table.Find(wagon);
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->editing);
}

// Deleting an asset open for editing keeps the edits in the trash beside its folder.
TEST(AssetTableTrash, ADeletionKeepsTheEditCopyInTheTrash) {
    TempFolder folder;
    AssetTable table(folder.Path("inst"));
    std::string error;
    ASSERT_TRUE(table.Open(error)) << error;
    ASSERT_TRUE(SeedFrom(folder, table, WagonScript("one")));
    const KUID wagon(12, 1, 0);
    ASSERT_TRUE(table.OpenForEdit(wagon));
    folder.WriteFile("inst/UserData/editing/wagon/notes.txt", "edited");

    std::filesystem::path kept;
    ASSERT_TRUE(table.Delete(wagon, &error, &kept)) << error;
    EXPECT_EQ(kept, folder.Path("inst/UserData/trash/wagon-edited"));
    EXPECT_EQ(folder.ReadFile("inst/UserData/trash/wagon-edited/notes.txt"), "edited");
    EXPECT_EQ(folder.ReadFile("inst/UserData/trash/wagon/notes.txt"), "one");
    EXPECT_FALSE(folder.Exists("inst/UserData/editing/wagon"));
}

// A daemon killed in a commit left the installed folder set aside, and one killed in an
// install left a folder no record names: the next start puts the first back and moves the
// second to the trash.
TEST(AssetTableRecovery, KilledCommitsAndInstallsAreRepairedAtStart) {
    TempFolder folder;
    AssetTable table(folder.Path("inst"));
    std::string error;
    ASSERT_TRUE(table.Open(error)) << error;
    ASSERT_TRUE(SeedFrom(folder, table, WagonScript("one")));
    std::filesystem::rename(folder.Path("inst/UserData/local/wagon"),
                            folder.Path("inst/UserData/local/wagon.replaced"));
    folder.MakeFolder("inst/UserData/local/kuid_12_9_0");
    folder.WriteFile("inst/UserData/local/kuid_12_9_0/half.txt", "half");

    EXPECT_EQ(table.RecoverLocalFolders().size(), 2u);
    EXPECT_EQ(folder.ReadFile("inst/UserData/local/wagon/notes.txt"), "one");
    EXPECT_FALSE(folder.Exists("inst/UserData/local/wagon.replaced"));
    EXPECT_EQ(folder.ReadFile("inst/UserData/trash/kuid_12_9_0/half.txt"), "half");
    EXPECT_FALSE(folder.Exists("inst/UserData/local/kuid_12_9_0"));
    EXPECT_TRUE(table.RecoverLocalFolders().empty());
}

} // namespace
