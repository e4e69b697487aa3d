// Template containers and tags: filing tags, pending tags, extensions, the type-word table,
// the construction counters, and the clean-up when a container or tag is deleted.
#include <gtest/gtest.h>

#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/tag_types.h"
#include "validation_test_support.h"

namespace {

using DAROdi::Container;
using DAROdi::Tag;

std::unique_ptr<Tag> Named(Container& box, const char* name) {
    return box.CreateTag(static_cast<int32_t>(box.Tags().size()), &box, Kiv::PString(name));
}

TEST(Container, FilesIdentityTagsInAnyCaseAndMovesThemToTheFront) {
    Container box;
    for (const char* name : {"height", "KUID", "description", "Username", "kuid2"})
        box.AddTag(Named(box, name));
    ASSERT_EQ(box.IdentityTags().size(), 2u);
    ASSERT_EQ(box.Tags().size(), 3u);
    box.MoveIdentityTagsToFront();
    const char* order[] = {"KUID", "Username", "height", "description", "kuid2"};
    ASSERT_EQ(box.Tags().size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(box.Tags()[i]->name, Kiv::PString(order[i])) << i;
    EXPECT_TRUE(box.IdentityTags().empty());
}

TEST(Container, CreateTagSetsIndexParentAndName) {
    Container box;
    const std::unique_ptr<Tag> tag = box.CreateTag(4, &box, Kiv::PString("height"));
    EXPECT_EQ(tag->index, 4);
    EXPECT_EQ(tag->parent, &box);
    EXPECT_EQ(tag->name, Kiv::PString("height"));
    EXPECT_TRUE(tag->value.IsEmpty());
    EXPECT_EQ(Tag().index, -1);
    EXPECT_EQ(Container().index, -1);
}

TEST(Container, RemovesOnlyTheFirstPendingTagOfAName) {
    Container box;
    box.AddPendingTag(Named(box, "kind"));
    box.AddPendingTag(Named(box, "username"));
    box.AddPendingTag(Named(box, "kind"));
    box.RemovePendingTag(Kiv::PString("absent"));
    EXPECT_EQ(box.PendingTags().size(), 3u);
    box.RemovePendingTag(Kiv::PString("Kind")); // names are exact
    EXPECT_EQ(box.PendingTags().size(), 3u);
    box.RemovePendingTag(Kiv::PString("kind"));
    ASSERT_EQ(box.PendingTags().size(), 2u);
    EXPECT_EQ(box.PendingTags()[0]->name, Kiv::PString("username"));
    EXPECT_EQ(box.PendingTags()[1]->name, Kiv::PString("kind"));
}

TEST(Container, ExtensionsAreADeepCopy) {
    Container box;
    ACSChunkRef source;
    source.SetNamedTagInt(Kiv::PString("speed"), 5);
    box.SetExtensions(source);
    source.SetNamedTagInt(Kiv::PString("speed"), 9);
    EXPECT_FALSE(box.GetExtensions().IsSameNode(source));
    EXPECT_EQ(box.GetExtensions().GetNamedTagAsInt(Kiv::PString("speed"), 0), 5);
}

TEST(Container, CountsEveryContainerAndTagMade) {
    const int64_t containers = Container::ConstructedCount();
    const int64_t tags = Tag::ConstructedCount();
    {
        Container box;
        box.AddChild(std::make_unique<Container>());
        box.AddTag(Named(box, "a"));
    }
    EXPECT_EQ(Container::ConstructedCount() - containers, 2);
    EXPECT_EQ(Tag::ConstructedCount() - tags, 1);
}

TEST(TagTypes, MapsTypeWordsToTheirCodes) {
    struct Case {
        const char* word;
        int32_t code;
    };
    const Case cases[] = {
        {"float", 0},         {"string", 1},       {"int", 3},          {"bool", 4},
        {"vector2", 5},       {"vector3", 6},      {"rgb", 6},          {"vector4", 7},
        {"vector5", 8},       {"floatlist", 9},    {"combobox", 10},    {"intcombobox", 11},
        {"listbox", 12},      {"doublestring", 13}, {"kuid", 14},       {"filepath", 15},
        {"filepathedit", 16}, {"stringkuid", 17},  {"kuidbrowser", 18}, {"stringkuidbrowser", 19},
        {"Float", 20},        {"colour", 20},      {"", 20},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DAROdi::TagTypeOf(Kiv::PString(c.word)), c.code) << c.word;
}

// After deletion neither the error handler nor the data manager refers to a container or
// tag (AddressSanitizer reports any later read through a kept pointer).
TEST(Container, DeletionLeavesNothingThatRefersToTheDeleted) {
    validation_test::TempFolder folder;
    DAROdi::ErrorHandler::CreateInstance();
    DAROdi::DataManager::CreateInstance((folder.Root() + "/").c_str());
    DAROdi::ErrorHandler& handler = *DAROdi::ErrorHandler::Instance();
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    {
        auto root = std::make_unique<Container>();
        auto child = std::make_unique<Container>();
        child->name = Kiv::PString("track0");
        std::unique_ptr<Tag> tag = Named(*child, "height");
        handler.ErrorInTag(Kiv::PString("bad height"), tag.get());
        handler.WarningInTag(Kiv::PString("odd height"), tag.get());
        handler.ErrorInContainer(Kiv::PString("bad track"), child.get());
        handler.ErrorInContainer(Kiv::PString("odd track"), child.get());
        manager.RegisterListItemA(Kiv::PString("attached-track"), child.get());
        manager.RegisterListItemA(Kiv::PString("lights"), child.get());
        manager.RegisterListItemB(Kiv::PString("names"), tag.get());
        manager.RegisterAttachmentTag(tag.get());
        child->AddTag(std::move(tag));
        root->AddChild(std::move(child));
    }
    ASSERT_EQ(handler.GetEntries().size(), 2u);
    for (const DAROdi::ErrorEntry& entry : handler.GetEntries()) {
        EXPECT_EQ(entry.container, nullptr);
        EXPECT_EQ(entry.tag, nullptr);
    }
    EXPECT_FALSE(manager.IsFileListed(Kiv::PString("track0"), Kiv::PString("lights")));
    EXPECT_TRUE(manager.ListItemsA(Kiv::PString("lights")).empty());
    EXPECT_TRUE(manager.AttachmentTags().empty());
    DAROdi::DataManager::DestroyInstance();
    DAROdi::ErrorHandler::DestroyInstance();
}

} // namespace
