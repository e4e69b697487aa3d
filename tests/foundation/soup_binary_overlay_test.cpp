// Edits of a binary soup through its views: removed packed entries, added children listed
// after them, setters that move a tag to the end, views of one region that see each other's
// edits, and sub-soups of the same file moved inside it without keeping the file alive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_overlay_index.h"
#include "foundation/soup/chunk.h"
#include "soup_binary_test_support.h"
#include "soup_test_support.h"

using namespace soup_binary_test;
using soup_test::BytesOf;

namespace {

Kiv::PString P(const char* text) {
    return Kiv::PString(text);
}

// a = 1, b = 2, c = 3, then the sub-soup s holding x = 1.
Bytes PackedFile() {
    return File(Join({Entry("a", 1, Int32(1)), Entry("b", 1, Int32(2)), Entry("c", 1, Int32(3)),
                      Entry("s", 0, Entry("x", 1, Int32(1)))}));
}

std::vector<std::string> Names(const ACSChunkRef& soup) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < soup.CountTags(); ++i)
        names.emplace_back(soup.GetIndexedTagName(i).View());
    return names;
}

using Names_ = std::vector<std::string>;

class SoupBinaryOverlay : public ::testing::Test {
  protected:
    void SetUp() override {
        const ReadResult read = Read(PackedFile());
        ASSERT_TRUE(read.read);
        ASSERT_NE(read.soup.Get(), nullptr);
        soup_ = read.soup;
    }

    ACSChunkRef soup_;
};

} // namespace

TEST_F(SoupBinaryOverlay, RemovingAPackedTagHidesItFromEveryLookup) {
    soup_.RemoveNamedTag(P("b"));
    EXPECT_EQ(soup_.CountTags(), 3);
    EXPECT_EQ(Names(soup_), (Names_{"a", "c", "s"}));
    EXPECT_FALSE(soup_.HasTag(P("b")));
    EXPECT_EQ(soup_.GetNamedTagAsInt(P("b"), -1), -1);
    EXPECT_EQ(Written(soup_), File(Join({Entry("a", 1, Int32(1)), Entry("c", 1, Int32(3)),
                                         Entry("s", 0, Entry("x", 1, Int32(1)))})));
}

TEST_F(SoupBinaryOverlay, AddedTagsFollowAllPackedTags) {
    soup_.SetNamedTagInt(P("d"), 4);
    soup_.SetNamedTagString(P("e"), "five");
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "s", "d", "e"}));
    EXPECT_EQ(soup_.GetNamedTagAsInt(P("d"), 0), 4);
    EXPECT_EQ(Written(soup_),
              File(Join({Entry("a", 1, Int32(1)), Entry("b", 1, Int32(2)), Entry("c", 1, Int32(3)),
                         Entry("s", 0, Entry("x", 1, Int32(1))), Entry("d", 1, Int32(4)),
                         Entry("e", 3, Ascii("five", true))})));
}

TEST_F(SoupBinaryOverlay, SettingAPackedTagKeepsOneOfThatNameAndMovesItToTheEnd) {
    soup_.SetNamedTagInt(P("a"), 9);
    EXPECT_EQ(Names(soup_), (Names_{"b", "c", "s", "a"}));
    EXPECT_EQ(soup_.GetNamedTagAsInt(P("a"), 0), 9);
    soup_.SetNamedTagInt(P("a"), 10);
    EXPECT_EQ(Names(soup_), (Names_{"b", "c", "s", "a"}));
    EXPECT_EQ(soup_.GetNamedTagAsInt(P("a"), 0), 10);
}

TEST_F(SoupBinaryOverlay, RemovingAnAddedTagTakesItAwayAgain) {
    soup_.SetNamedTagInt(P("d"), 4);
    soup_.SetNamedTagInt(P("e"), 5);
    soup_.RemoveNamedTag(P("d"));
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "s", "e"}));
    soup_.RemoveNamedTag(P("e"));
    EXPECT_EQ(Written(soup_), PackedFile());
}

// Each added child is listed with its own name and node, even when names repeat.
TEST_F(SoupBinaryOverlay, AddedChildrenOfOneNameAreEachListedAndWritten) {
    const ACSChunkRef first = soup_->CreateTag(ACSTagType::IntArray, soup_test::Ints({7}));
    const ACSChunkRef second = soup_->CreateTag(ACSTagType::IntArray, soup_test::Ints({8}));
    soup_->AddChild(P("d"), first);
    soup_->AddChild(P("d"), second);
    soup_->AddChild(P("d"), first); // already held: nothing
    ASSERT_EQ(soup_.CountTags(), 6);
    Kiv::PString name;
    ACSChunkRef chunk;
    ASSERT_TRUE(soup_->GetIndexedChild(4, name, chunk));
    EXPECT_TRUE(chunk.IsSameNode(first));
    ASSERT_TRUE(soup_->GetIndexedChild(5, name, chunk));
    EXPECT_EQ(name.View(), "d");
    EXPECT_TRUE(chunk.IsSameNode(second));
    EXPECT_FALSE(soup_->GetIndexedChild(6, name, chunk));

    const ReadResult back = Read(Written(soup_));
    ASSERT_EQ(back.soup.CountTags(), 6);
    EXPECT_EQ(back.soup.GetIndexedSoup(5).Get(), nullptr);
    EXPECT_EQ(BytesOf(back.soup.GetNamedTagData(P("d"))), Int32(7));
    Kiv::PString lastName;
    ACSChunkRef last;
    back.soup->GetIndexedChild(5, lastName, last);
    EXPECT_EQ(Bytes(last->GetData(), last->GetData() + last->GetDataSize()), Int32(8));
}

// Views are made afresh on every access; an edit through one shows through all.
TEST_F(SoupBinaryOverlay, ViewsOfOneRegionSeeEachOthersEdits) {
    ACSChunkRef first = soup_.GetNamedSoup(P("s"));
    ACSChunkRef second = soup_.GetNamedSoup(P("s"));
    ASSERT_FALSE(first.IsSameNode(second));
    EXPECT_EQ(first.CountTags(), 1);
    EXPECT_EQ(first.GetIndexedTagName(0).View(), "x");

    second.SetNamedTagInt(P("y"), 2);
    EXPECT_EQ(Names(first), (Names_{"x", "y"}));
    second.RemoveNamedTag(P("x"));
    EXPECT_EQ(Names(first), (Names_{"y"}));

    ACSChunkRef root = soup_;
    root.RemoveNamedTag(P("a"));
    EXPECT_EQ(Names(soup_), (Names_{"b", "c", "s"}));
    EXPECT_EQ(Names(soup_.GetNamedSoup(P("s"))), (Names_{"y"}));
}

TEST_F(SoupBinaryOverlay, ANodeOfAnotherFileIsNeverTakenForAPackedEntry) {
    const ReadResult other = Read(PackedFile());
    soup_.RemoveTag(other.soup->GetNamedChunkConst(P("a")));
    soup_.RemoveTag(other.soup->GetNamedChunkConst(P("s")));
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "s"}));
    // Nor is a packed entry removed from a region that does not hold it.
    ACSChunkRef sub = soup_.GetNamedSoup(P("s"));
    sub.RemoveTag(soup_->GetNamedChunkConst(P("a")));
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "s"}));
    EXPECT_EQ(Names(sub), (Names_{"x"}));
}

TEST_F(SoupBinaryOverlay, ASubSoupEditedAndSetBackMovesToTheEndWithItsEdits) {
    ACSChunkRef sub = soup_.GetNamedSoup(P("s"));
    sub.SetNamedTagInt(P("x"), 5);
    soup_.SetNamedTagInt(P("d"), 4);
    soup_.SetNamedSoup(P("s"), sub);
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "d", "s"}));
    EXPECT_TRUE(soup_.GetNamedSoup(P("s")).IsSameNode(sub));
    EXPECT_EQ(Written(soup_),
              File(Join({Entry("a", 1, Int32(1)), Entry("b", 1, Int32(2)), Entry("c", 1, Int32(3)),
                         Entry("d", 1, Int32(4)), Entry("s", 0, Entry("x", 1, Int32(5)))})));
    // A region holds a node once: adding it under a second name changes nothing.
    soup_->AddChild(P("t"), sub);
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "d", "s"}));
    soup_.RemoveTag(sub);
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "d"}));
}

// A packed entry and an added child may show the same entry; each node removes its own.
TEST_F(SoupBinaryOverlay, AFreshNodeOfAPackedEntryRemovesThePackedEntry) {
    ACSChunkRef copy = soup_.GetNamedSoup(P("s"));
    soup_->AddChild(P("t"), copy);
    soup_.RemoveNamedTag(P("s"));
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c", "t"}));
    soup_.RemoveTag(copy);
    EXPECT_EQ(Names(soup_), (Names_{"a", "b", "c"}));
}

// The overlay keeps an added sub-soup of the same file by position, so the file still
// goes when the last outside reference does.
TEST(SoupBinaryOverlayLifetime, ASubSoupMovedInsideItsFileDoesNotKeepTheFileAlive) {
    TDBBinaryFile* file = new TDBBinaryFile();
    MemoryStream memory(PackedFile());
    ASSERT_TRUE(file->Read(memory.Stream()));
    {
        ACSChunkRef root = file->GetRoot();
        ACSChunkRef sub = root.GetNamedSoup(P("s"));
        root.SetNamedSoup(P("t"), sub);
        root->AddChild(P("u"), root->GetNamedChunkConst(P("a")));
        EXPECT_EQ(file->RefCount(), 3);
        sub.Release();
        EXPECT_EQ(root.GetNamedSoup(P("t")).GetNamedTagAsInt(P("x"), 0), 1);
        EXPECT_EQ(root.GetNamedTagAsInt(P("u"), 0), 1);
        EXPECT_EQ(Names(root), (Names_{"a", "b", "c", "s", "t", "u"}));
    }
    EXPECT_EQ(file->RefCount(), 1);
    ReferenceCountMP::ReleaseRef(file);
}

// A value borrowed from the body keeps the whole file alive after its soup is gone.
TEST(SoupBinaryOverlayLifetime, ABorrowedValueOutlivesItsSoup) {
    ACSRawDataRef value;
    {
        ReadResult read = Read(PackedFile());
        value = read.soup.GetNamedTagData(P("c"));
    }
    EXPECT_EQ(BytesOf(value), Int32(3));
}

TEST(SoupBinaryOverlayIndex, RecordsAreFoundByKeyAndRegionAcrossSharedBuckets) {
    // (97 XOR 0) and (0 XOR 97) share bucket 0 with (0, 0); so does (194, 0).
    std::vector<ACSOverlayRecord> records(4);
    const uint32_t keys[][2] = {{97, 0}, {0, 97}, {0, 0}, {194, 0}};
    BinaryOverlayIndex index;
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].key = keys[i][0];
        records[i].region = keys[i][1];
        index.Insert(&records[i]);
    }
    const auto any = [](const ACSOverlayRecord&) { return true; };
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(index.Find(keys[i][0], keys[i][1], any), &records[i]) << i;
    EXPECT_EQ(index.Find(97, 97, any), nullptr);

    index.Erase(&records[1]);
    EXPECT_EQ(index.Find(0, 97, any), nullptr);
    EXPECT_EQ(index.Find(194, 0, any), &records[3]);
    EXPECT_EQ(index.Find(0, 0, [](const ACSOverlayRecord& r) { return r.region != 0; }), nullptr);
}
