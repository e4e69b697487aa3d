// The world-list stream: the version-5 bytes written by hand, reading them back through a
// factory, the older versions, the item-state and state blocks, and hostile streams (slots,
// lengths, truncation) that must end the read without harm.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "world_list_support.h"

using namespace worldtest;

namespace {

constexpr uint32_t kMarker = 0xFEEDCEEB;
constexpr uint32_t kEnd = 0xFFFFFFFF;
// KUID 3:1000:2 in the stream: content id, then version << 25 | user id.
const Bytes kKuidBytes = Words({1000, 2u << 25 | 3});

// Two items at slots 0 and 2 of list 7; only the first has value bit 2 in its flags.
const Bytes kTwoItemsOneWritten = Join({
    Words({5, 7}),
    Words({0, kLibraryType}), kKuidBytes, Words({2}), Bytes{'A', 'B'},
    Words({kEnd}),
    Words({32, kMarker, 5, 7}),
    Words({0, kLibraryType, 4, 9}),
    Words({kEnd}),
});

// A version-5 stream of list 7 holding one record of a type and payload, and an empty
// item-state block.
Bytes OneRecord(uint32_t slot, uint32_t type, const std::string& payload) {
    return Join({Words({5, 7, slot, type}), kKuidBytes, Words({static_cast<uint32_t>(payload.size())}),
                 Bytes(payload.begin(), payload.end()), Words({kEnd, 16, kMarker, 5, 7, kEnd})});
}

class WorldListStream : public ::testing::Test {
  protected:
    TestFactory factory_{kLibraryType};
    int owner_ = 0;
    WorldList list_{&owner_, 1, nullptr};

    bool ReadBytes(const Bytes& bytes, int32_t stateFlags = 4) {
        MemoryStream stream(bytes);
        return list_.Read(stream.Stream(), false, stateFlags);
    }
    TestItem* Item(int32_t slot) { return dynamic_cast<TestItem*>(list_.GetItem(slot)); }
};

}  // namespace

TEST_F(WorldListStream, WriteGivesTheVersionFiveBytesWithTheItemStatesAskedFor) {
    WorldList list(nullptr, 7, nullptr);
    TestItem* first = new TestItem(kLibraryType, 5);
    first->kuid = KUID(3, 1000, 2);
    first->payload = "AB";
    first->itemState = std::string("\x09\0\0\0", 4);
    TestItem* second = new TestItem(kStateType, 1);
    second->payload = "never";
    list.AddItem(first);
    list.AddItem(second);
    MemoryStream out;
    list.Write(out.Stream(), 4, 4);
    EXPECT_EQ(out.Contents(), kTwoItemsOneWritten);
    EXPECT_EQ(first->seenListId, 7) << "the list id is published while the payload is written";
    EXPECT_EQ(WorldList::CurrentListId(), -1);

    MemoryStream noStates;
    list.Write(noStates.Stream(), 4, 0);
    const Bytes expected = Join({Words({5, 7}), Words({2, kStateType, kEnd, kEnd}),
                                 Words({5}), Bytes{'n', 'e', 'v', 'e', 'r'}, Words({kEnd, 16, kMarker, 5, 7, kEnd})});
    EXPECT_EQ(noStates.Contents(), expected);
}

TEST_F(WorldListStream, ReadMakesItemsThroughTheFactoryAndRestoresTheListId) {
    ASSERT_TRUE(ReadBytes(kTwoItemsOneWritten));
    TestItem* item = Item(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(factory_.made, 1);
    EXPECT_EQ(item->payload, "AB");
    EXPECT_EQ(item->itemState, std::string("\x09\0\0\0", 4));
    EXPECT_EQ(item->seenListId, 7);
    EXPECT_EQ(item->seenKUID, KUID(3, 1000, 2));
    EXPECT_EQ(item->seenOwner, &owner_);
    EXPECT_EQ(list_.GetListId(), 1);
    EXPECT_EQ(WorldList::CurrentListId(), -1);
    EXPECT_TRUE(WorldList::CurrentItemKUID().IsNull());
    EXPECT_EQ(WorldList::CurrentListOwner(), nullptr);

    // A second read finds the item of that type in the slot and lets it read the payload.
    ASSERT_TRUE(ReadBytes(OneRecord(0, kLibraryType, "CD"), 0));
    EXPECT_EQ(Item(0), item);
    EXPECT_EQ(item->payload, "CD");
    EXPECT_EQ(factory_.made, 1);
    // A record of another type replaces it.
    TestFactory other(kStateType);
    ASSERT_TRUE(ReadBytes(OneRecord(0, kStateType, "EF"), 0));
    ASSERT_NE(Item(0), nullptr);
    EXPECT_EQ(Item(0)->GetTypeCode(), kStateType);
    EXPECT_EQ(Item(0)->payload, "EF");
}

TEST_F(WorldListStream, TheItemStateBlockIsAppliedOnlyWhenAsked) {
    ASSERT_TRUE(ReadBytes(kTwoItemsOneWritten, 0));
    ASSERT_NE(Item(0), nullptr);
    EXPECT_EQ(Item(0)->itemState, "");
    // Without the marker the block is version 0: its entries carry no type code and meet
    // items of type 0x20202020 only.
    const Bytes unmarked = Join({Words({4, kEnd}), Words({16, 0, 4, 0x61616161, kEnd})});
    ASSERT_TRUE(ReadBytes(unmarked));
    EXPECT_EQ(Item(0)->itemState, "");
    TestItem* blank = new TestItem(WorldList::kBlankTypeCode);
    ASSERT_TRUE(list_.AddItemAt(1, blank));
    const Bytes unmarkedForSlot1 = Join({Words({4, kEnd}), Words({16, 1, 4, 0x61616161, kEnd})});
    ASSERT_TRUE(ReadBytes(unmarkedForSlot1));
    EXPECT_EQ(blank->itemState, "aaaa");
}

TEST_F(WorldListStream, OlderVersions) {
    EXPECT_TRUE(ReadBytes(Words({1, 0, kLibraryType, 0})));
    EXPECT_EQ(list_.GetSlotCount(), 0) << "version 1 has no records";
    // Version 2: payloads without lengths, read by the factory straight from the stream.
    EXPECT_TRUE(ReadBytes(Join({Words({2, 4, kLibraryType}), Bytes{'x'}})));
    ASSERT_NE(Item(4), nullptr);
    EXPECT_EQ(Item(4)->payload, "x");
    EXPECT_FALSE(ReadBytes(Words({2, 6, 0x12345678, kEnd}))) << "no factory ends a version-2 read";
    // Version 3: lengths, no item-state block; a version-4 block is read.
    EXPECT_TRUE(ReadBytes(Join({Words({3, 8, kLibraryType}), kKuidBytes, Words({1}), Bytes{'y'}, Words({kEnd})})));
    ASSERT_NE(Item(8), nullptr);
    EXPECT_EQ(Item(8)->payload, "y");
    EXPECT_TRUE(ReadBytes(Join({Words({4, kEnd}), Words({28, kMarker, 4, 33, 8, kLibraryType, 0, kEnd})})));
    EXPECT_EQ(list_.GetListId(), 1);
}

TEST_F(WorldListStream, HostileStreamsEndTheReadWithoutHarm) {
    struct Case {
        const char* what;
        Bytes bytes;
        bool read;
    };
    const Case cases[] = {
        {"version 0", Words({0}), false},
        {"version 6", Words({6, 7, kEnd}), false},
        {"no version", Bytes{5, 0}, false},
        {"payload length 0x1000000", Join({Words({5, 7, 0, kLibraryType}), kKuidBytes, Words({0x1000000})}), false},
        {"slot 0x7FFFFFFF", OneRecord(0x7FFFFFFF, kLibraryType, "z"), false},
        {"slot -2", OneRecord(static_cast<uint32_t>(-2), kLibraryType, "z"), false},
        {"slot 2^20", OneRecord(1u << 20, kLibraryType, "z"), false},
        {"truncated payload", Join({Words({5, 7, 0, kLibraryType}), kKuidBytes, Words({100}), Bytes{'a'}}), false},
        {"stream ends after the version", Words({5, 7}), true},
        {"unknown type in version 5 is skipped",
         Join({Words({5, 7, 0, 0x12345678}), kKuidBytes, Words({1}), Bytes{'q'}, Words({kEnd, 16, kMarker, 5, 7, kEnd})}),
         true},
        {"item-state slot -2", Join({Words({5, 7, kEnd}), Words({16, kMarker, 5, 7, static_cast<uint32_t>(-2)})}), false},
    };
    for (const Case& c : cases) {
        list_.Clear();
        EXPECT_EQ(ReadBytes(c.bytes), c.read) << c.what;
        EXPECT_LE(list_.GetSlotCount(), 1) << c.what;
        EXPECT_EQ(list_.GetItem(0), nullptr) << c.what;
        EXPECT_EQ(list_.GetListId(), 1) << c.what;
    }
    EXPECT_EQ(WorldList::CurrentListId(), -1);
}

TEST_F(WorldListStream, ARecordNoFactoryMakesIsSkippedAndTheNextIsRead) {
    // The first record's type has no factory: it is skipped by its length.
    const Bytes bytes = Join({
        Words({5, 7, 0, 0x12345678}), kKuidBytes, Words({1}), Bytes{'q'},
        Words({2, kLibraryType}), kKuidBytes, Words({1}), Bytes{'r'},
        Words({kEnd, 16, kMarker, 5, 7, kEnd}),
    });
    ASSERT_TRUE(ReadBytes(bytes));
    ASSERT_NE(Item(2), nullptr);
    EXPECT_EQ(Item(2)->payload, "r");
}

TEST_F(WorldListStream, TheStateBlockCarriesOnlyStateItems) {
    WorldList list(nullptr, 7, nullptr);
    TestItem* state = new TestItem(kStateType);
    state->state = "S";
    TestItem* library = new TestItem(kLibraryType);
    library->state = "L";
    list.AddItem(state);
    list.AddItem(library);
    MemoryStream out;
    list.SaveState(out.Stream());
    const Bytes saved = Join({Words({21, kMarker, 1, 0, 1}), Bytes{'S'}, Words({kEnd})});
    EXPECT_EQ(out.Contents(), saved);

    struct Case {
        const char* what;
        Bytes bytes;
        std::string state;
    };
    const Case cases[] = {
        {"saved", saved, "S"},
        {"version 0", Join({Words({21, kMarker, 0, 0, 1}), Bytes{'S'}, Words({kEnd})}), "S"},
        {"unpatched", Join({Words({kMarker, kMarker, 1, 0, 1}), Bytes{'S'}, Words({kEnd})}), ""},
        {"no marker", Join({Words({21, 0, 1, 0, 1}), Bytes{'S'}, Words({kEnd})}), ""},
        {"version 2", Join({Words({21, kMarker, 2, 0, 1}), Bytes{'S'}, Words({kEnd})}), ""},
        {"entry past the block", Join({Words({12, kMarker, 1, 0, 9}), Bytes{'S'}, Words({kEnd})}), ""},
        {"slot -2", Join({Words({21, kMarker, 1, static_cast<uint32_t>(-2), 1}), Bytes{'S'}, Words({kEnd})}), ""},
        {"slot beyond the table", Join({Words({21, kMarker, 1, 9, 1}), Bytes{'S'}, Words({kEnd})}), ""},
    };
    for (const Case& c : cases) {
        state->state.clear();
        MemoryStream in(Join({c.bytes, Words({0x600D})}));
        list.LoadState(in.Stream());
        EXPECT_EQ(state->state, c.state) << c.what;
        EXPECT_EQ(library->state, "L") << c.what;
        if (c.bytes.size() == saved.size() && c.state == "S") {
            int32_t after = 0;
            EXPECT_TRUE(in.Stream().ReadInt32(after, 0));
            EXPECT_EQ(after, 0x600D) << "the stream stands at the block's end";
        }
    }
}

namespace {

// An item whose payload holds a list of its own, read while the outer record is current.
class NestingItem : public TestItem {
  public:
    NestingItem() : TestItem(0x6E657374) {}
    void ReadState(TStream& stream) override {
        inner.Read(stream, true, 0);
        seenListId = WorldList::CurrentListId();
        seenKUID = WorldList::CurrentItemKUID();
    }
    WorldList inner{nullptr, 2, nullptr};
};

class NestingFactory : public WorldItemFactory {
  public:
    NestingFactory() : WorldItemFactory(0x6E657374, "nest") {}
    WorldFactoryItem* Create(void*, TStream& stream) override {
        auto* item = new NestingItem();
        item->ReadState(stream);
        return item;
    }
};

}  // namespace

TEST_F(WorldListStream, APayloadHoldingAListLeavesTheOuterRecordCurrent) {
    NestingFactory nesting;
    const Bytes inner = OneRecord(0, kLibraryType, "in");
    const Bytes outer = Join({Words({5, 7, 0, 0x6E657374}), kKuidBytes, Words({static_cast<uint32_t>(inner.size())}),
                              inner, Words({kEnd, 16, kMarker, 5, 7, kEnd})});
    ASSERT_TRUE(ReadBytes(outer));
    auto* item = dynamic_cast<NestingItem*>(list_.GetItem(0));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->inner.GetItem(0), nullptr);
    EXPECT_EQ(dynamic_cast<TestItem*>(item->inner.GetItem(0))->payload, "in");
    EXPECT_EQ(item->seenListId, 7);
    EXPECT_EQ(item->seenKUID, KUID(3, 1000, 2));
    EXPECT_EQ(item->inner.GetListId(), 2);
}
