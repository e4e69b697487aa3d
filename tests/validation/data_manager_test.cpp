// The template data manager: value lists, personal details, the template merge, the keyed
// lists and mesh objects, and the singleton's failure when used before it was made.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/mesh_object.h"
#include "validation/darodi/tag.h"
#include "validation_test_support.h"

namespace {

using DAROdi::DataManager;
using validation_test::TempFolder;

// A data manager on its own template folder for one test.
class DataManagerTest : public ::testing::Test {
  protected:
    void TearDown() override { DataManager::DestroyInstance(); }
    DataManager& Open() {
        DataManager::CreateInstance((folder.Root() + "/").c_str());
        return DataManager::Instance();
    }
    TempFolder folder;
};

std::string Text(const Kiv::PString& text) {
    return std::string(text.View());
}

TEST_F(DataManagerTest, SplitsEachValueLineAtItsFirstBlank) {
    folder.Write("lines.txt", "XC Coal wagons\n"
                              "UK United Kingdom of it\r\n"
                              "lonely\n"
                              " leading blank\n"
                              "trailing \n"
                              "last-without-end");
    const DAROdi::ValueList* list = Open().FindValueList(Kiv::PString("lines.txt"));
    ASSERT_NE(list, nullptr);
    struct Row {
        const char* key;
        const char* value;
    };
    const Row expected[] = {{"XC", "Coal wagons"}, {"UK", "United Kingdom of it"},
                            {"lonely", ""},        {"", "leading blank"},
                            {"trailing", "\n"},    {"last-without-end", ""}};
    ASSERT_EQ(list->size(), std::size(expected));
    for (size_t i = 0; i < list->size(); ++i) {
        EXPECT_EQ(Text((*list)[i].key), expected[i].key) << i;
        EXPECT_EQ(Text((*list)[i].value), expected[i].value) << i;
    }
}

TEST_F(DataManagerTest, ALongLineIsReadIn255ByteParts) {
    folder.Write("long.txt", std::string(300, 'a') + " tail\n");
    const DAROdi::ValueList* list = Open().FindValueList(Kiv::PString("long.txt"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].key.Length(), 255u);
    EXPECT_EQ(Text((*list)[1].key), std::string(45, 'a'));
    EXPECT_EQ(Text((*list)[1].value), "tail");
}

TEST_F(DataManagerTest, SkipsEntriesThatAreNoReadableFile) {
    folder.Write("first.txt", "a 1\n");
    folder.Write("middle/inner.txt", "b 2\n");
    folder.Write("secret.txt", "c 3\n");
    folder.Write("zlast.txt", "d 4\n");
    chmod(folder.Path("secret.txt").c_str(), 0);
    const bool unreadable = std::ifstream(folder.Path("secret.txt")).fail(); // not as root
    DataManager& manager = Open();
    EXPECT_NE(manager.FindValueList(Kiv::PString("first.txt")), nullptr);
    EXPECT_EQ(manager.FindValueList(Kiv::PString("middle")), nullptr);
    EXPECT_EQ(manager.FindValueList(Kiv::PString("secret.txt")) == nullptr, unreadable);
    EXPECT_NE(manager.FindValueList(Kiv::PString("zlast.txt")), nullptr);
    EXPECT_EQ(Text(manager.NewFormTemplateNames().back()), "bridge");
}

TEST_F(DataManagerTest, NewFormTemplatesAreLowerCasedWithBridgeLast) {
    folder.Write("newFormTemplate.txt", "Scenery\r\nTRAINCAR\n");
    const auto& names = Open().NewFormTemplateNames();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(Text(names[0]), "scenery");
    EXPECT_EQ(Text(names[1]), "traincar");
    EXPECT_EQ(Text(names[2]), "bridge");
}

TEST_F(DataManagerTest, AMissingFolderLoadsNothing) {
    DataManager::CreateInstance(folder.Path("absent/").c_str());
    DataManager& manager = DataManager::Instance();
    EXPECT_TRUE(manager.ValueLists().empty());
    EXPECT_TRUE(manager.NewFormTemplateNames().empty());
    manager.MergeTemplates();
    EXPECT_TRUE(manager.GetMergedTemplates().IsNull());
}

TEST_F(DataManagerTest, WithoutPersonalDetailsTheInputBoxIsOnAndSavedAsOne) {
    DataManager& manager = Open();
    EXPECT_TRUE(manager.personalDetails.isInputBoxOn);
    EXPECT_TRUE(manager.personalDetails.author.IsEmpty());
    manager.personalDetails.author = Kiv::PString("Ann Author");
    ASSERT_TRUE(manager.SavePersonalDetails());
    ACSChunkRef saved;
    ASSERT_TRUE(saved.LoadFromFile(folder.Root().c_str(), "personalDetails.txt", "txt", true));
    EXPECT_EQ(saved.GetNamedTagAsInt(Kiv::PString("isinputboxon"), -1), 1);
    EXPECT_EQ(saved.GetNamedTag(Kiv::PString("author")), Kiv::String("Ann Author"));
    // Written through a companion file that is renamed into place.
    for (const auto& entry : std::filesystem::directory_iterator(folder.Root()))
        EXPECT_EQ(entry.path().filename(), "personalDetails.txt");
}

TEST_F(DataManagerTest, ReadsPersonalDetailsAndSavesThemAtShutdown) {
    folder.Write("personalDetails.txt", "author \"Bo\"\nemail \"bo@example.org\"\n"
                                        "license \"free\"\nisinputboxon 0\n");
    DataManager& manager = Open();
    EXPECT_EQ(Text(manager.personalDetails.author), "Bo");
    EXPECT_EQ(Text(manager.personalDetails.email), "bo@example.org");
    EXPECT_EQ(Text(manager.personalDetails.license), "free");
    EXPECT_FALSE(manager.personalDetails.isInputBoxOn);
    manager.personalDetails.website = Kiv::PString("example.org");
    DataManager::DestroyInstance();
    ACSChunkRef saved;
    ASSERT_TRUE(saved.LoadFromFile(folder.Root().c_str(), "personalDetails.txt", "txt", true));
    EXPECT_EQ(saved.GetNamedTag(Kiv::PString("website")), Kiv::String("example.org"));
    EXPECT_EQ(saved.GetNamedTagAsInt(Kiv::PString("isinputboxon"), -1), 0);
}

TEST_F(DataManagerTest, ALaterTemplateReplacesAnEarlierOneAndMovesToTheEnd) {
    folder.Write("inheritance.txt", "base\n{\n  top-level 0\n}\n");
    folder.Write("kind.txt", "scenery\n{\n  top-level 1\n}\ntraincar\n{\n  top-level 1\n}\n");
    folder.Write("container.txt", "scenery\n{\n  savingname \"from-container\"\n}\nplain 5\n");
    DataManager& manager = Open();
    manager.MergeTemplates();
    const ACSChunkRef merged = manager.GetMergedTemplates();
    ASSERT_EQ(merged.CountTags(), 4);
    const char* order[] = {"base", "traincar", "scenery", "plain"};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(Text(merged.GetIndexedTagName(i)), order[i]);
    const ACSChunkRef scenery = merged.GetNamedSoup(Kiv::PString("scenery"));
    EXPECT_EQ(scenery.GetNamedTag(Kiv::PString("savingname")), Kiv::String("from-container"));
    EXPECT_FALSE(scenery.HasTag(Kiv::PString("top-level")));
    // A value entry becomes an empty container.
    const ACSChunkRef plain = merged.GetNamedSoup(Kiv::PString("plain"));
    ASSERT_NE(plain.Get(), nullptr);
    EXPECT_EQ(plain.CountTags(), 0);
    // Merged once per process: a changed file is not read again.
    folder.Write("kind.txt", "other\n{\n}\n");
    manager.MergeTemplates();
    EXPECT_TRUE(manager.GetMergedTemplates().IsSameNode(merged));
}

class NamedMesh : public DAROdi::MeshObject {
  public:
    explicit NamedMesh(const char* attachment) : attachment_(attachment) {}
    std::vector<Kiv::PString> GetAttachmentNames() const override { return {attachment_}; }
    Kiv::File::Path GetFilePath() const override { return Kiv::File::Path(); }

  private:
    Kiv::PString attachment_;
};

TEST_F(DataManagerTest, ListsFilesByContainerNameOrMeshAttachment) {
    DataManager& manager = Open();
    const Kiv::PString queues("queues");
    auto box = std::make_unique<DAROdi::Container>();
    box->name = Kiv::PString("queue0");
    manager.RegisterListItemA(queues, box.get());
    manager.RegisterListItemA(Kiv::PString("other"), box.get());
    manager.AddContainerMesh(box.get(), std::make_unique<NamedMesh>("a.door"));
    EXPECT_TRUE(manager.IsFileListed(Kiv::PString("queue0"), queues));
    EXPECT_FALSE(manager.IsFileListed(Kiv::PString("queue0"), Kiv::PString("mesh-table")));
    EXPECT_TRUE(manager.IsFileListed(Kiv::PString("a.door"), Kiv::PString("mesh-table")));
    EXPECT_NE(manager.GetCurrentMesh(), nullptr);
    // A deleted container leaves every key and its mesh goes.
    box.reset();
    EXPECT_TRUE(manager.ListItemsA(queues).empty());
    EXPECT_TRUE(manager.ListItemsA(Kiv::PString("other")).empty());
    EXPECT_FALSE(manager.IsFileListed(Kiv::PString("queue0"), Kiv::PString("other")));
    EXPECT_FALSE(manager.IsFileListed(Kiv::PString("a.door"), Kiv::PString("mesh-table")));
    EXPECT_EQ(manager.GetCurrentMesh(), nullptr);
}

TEST_F(DataManagerTest, ADeletedTagLeavesTheAttachmentLists) {
    DataManager& manager = Open();
    auto tag = std::make_unique<DAROdi::Tag>();
    manager.RegisterAttachmentTag(tag.get());
    manager.RegisterAttachmentTag(tag.get());
    manager.RegisterUniqueAttachmentTag(tag.get());
    manager.RegisterUniqueAttachmentTag(tag.get());
    EXPECT_EQ(manager.AttachmentTags().size(), 1u);
    EXPECT_EQ(manager.UniqueAttachmentTags().size(), 2u);
    tag.reset();
    EXPECT_TRUE(manager.AttachmentTags().empty());
    EXPECT_TRUE(manager.UniqueAttachmentTags().empty());
}

TEST(DataManagerInstance, UseBeforeCreationEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(DataManager::Instance(), ::testing::ExitedWithCode(1),
                "DataManager::Instance> datamanger not initialised");
}

} // namespace
