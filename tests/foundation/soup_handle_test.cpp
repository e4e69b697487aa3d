// The soup handle: setters that replace and move tags, getters with their defaults on empty
// handles, missing tags and values of the wrong type, sub-soups, copies and the KUID walks.
#include "foundation/soup/chunk_ref.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/soup/chunk.h"
#include "foundation/soup/converter.h"
#include "soup_test_support.h"

namespace {

using soup_test::Leaf;
using soup_test::NewContainer;

std::vector<std::string> Names(const ACSChunkRef& soup) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < soup.CountTags(); ++i)
        names.emplace_back(soup.GetIndexedTagName(i).View());
    return names;
}

TEST(SoupHandle, ASetterReplacesTheFirstTagOfItsNameAndAppendsAtTheEnd) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("a", 1);
    soup.SetNamedTagInt("b", 2);
    soup.SetNamedTagInt("a", 3);
    EXPECT_EQ(Names(soup), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(soup.GetNamedTagAsInt("a", 0), 3);
}

TEST(SoupHandle, WithARepeatedNameASetterReplacesOnlyTheFirst) {
    ACSChunkRef soup;
    soup.EnsureContainer();
    soup->AddChild("x", Leaf(ACSTagType::IntArray, soup_test::Ints({1})));
    soup->AddChild("x", Leaf(ACSTagType::IntArray, soup_test::Ints({2})));
    soup.SetNamedTagInt("x", 5);
    EXPECT_EQ(Names(soup), (std::vector<std::string>{"x", "x"}));
    EXPECT_EQ(soup.GetNamedTagAsInt("x", 0), 2);
}

TEST(SoupHandle, SettersStoreTheirValuesInTheirTypes) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("int", -5);
    soup.SetNamedTagBool("bool", true);
    soup.SetNamedTagFloat("float", 2.5f);
    soup.SetNamedTagKUID("kuid", KUID(1, 2, 3));
    const float floats[] = {1.0f, 2.0f};
    soup.SetNamedTagFloatArray("floats", floats);
    soup.SetNamedTagString("text", "abc");
    soup.SetNamedTagEmpty("empty");

    struct Case {
        const char* name;
        ACSTagType type;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"int", ACSTagType::IntArray, {0xFB, 0xFF, 0xFF, 0xFF}},
        {"bool", ACSTagType::IntArray, {1, 0, 0, 0}},
        {"float", ACSTagType::FloatArray, {0x00, 0x00, 0x20, 0x40}},
        {"kuid", ACSTagType::KUIDArray, {0x01, 0x00, 0x00, 0x06, 0x02, 0x00, 0x00, 0x00}},
        {"floats", ACSTagType::FloatArray, {0, 0, 0x80, 0x3F, 0, 0, 0, 0x40}},
        {"text", ACSTagType::String, {'a', 'b', 'c', 0}},
        {"empty", ACSTagType::Null, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(soup.GetNamedTagType(c.name), c.type) << c.name;
        const ACSChunkRef child = soup->GetNamedChunk(c.name);
        EXPECT_EQ(soup_test::BytesOf(ACSChunk::GetRawData(child)), c.bytes) << c.name;
    }
}

TEST(SoupHandle, AnEmptyStringIsAPresentTagWithNoBytes) {
    for (const char* text : {"", static_cast<const char*>(nullptr)}) {
        ACSChunkRef soup;
        soup.SetNamedTagString("s", text);
        EXPECT_TRUE(soup.HasTag("s"));
        EXPECT_EQ(soup.GetNamedTagType("s"), ACSTagType::String);
        EXPECT_EQ(soup->GetNamedChunk("s")->GetDataSize(), 0u);
        EXPECT_EQ(soup.GetNamedTag("s"), "");
        EXPECT_TRUE(soup.GetNamedTagData("s").IsNull());
    }
}

TEST(SoupHandle, NoFloatsOnlyRemoveTheTag) {
    ACSChunkRef fresh;
    fresh.SetNamedTagFloatArray("f", {});
    EXPECT_FALSE(fresh.IsNull());
    EXPECT_EQ(fresh.CountTags(), 0);

    ACSChunkRef soup;
    soup.SetNamedTagFloat("f", 1.0f);
    soup.SetNamedTagInt("g", 1);
    soup.SetNamedTagFloatArray("f", {});
    EXPECT_EQ(Names(soup), (std::vector<std::string>{"g"}));
}

TEST(SoupHandle, SettersOnAHandleToALeafOrTheNullChunkDoNothing) {
    ACSChunkRef leaf = Leaf(ACSTagType::IntArray, soup_test::Ints({1}));
    for (ACSChunkRef handle : {leaf, ACSChunk::NullChunk()}) {
        ACSChunk* before = handle.Get();
        handle.SetNamedTagInt("a", 1);
        handle.SetNamedTagString("s", "x");
        ACSChunkRef sub;
        handle.SetNamedSoup("sub", sub);
        EXPECT_EQ(handle.Get(), before);
        EXPECT_EQ(handle.CountTags(), 0);
        EXPECT_FALSE(handle.HasTag("a"));
    }
}

// Each getter on a soup without the tag, with a type-0 tag, and with a tag of a type that
// does not convert, gives its default.
TEST(SoupHandle, GettersGiveTheirDefaultsWhenThereIsNoValue) {
    const KUID fallbackKuid(7, 8, 0);
    ACSChunkRef handles[4];
    handles[1] = ACSChunk::NullChunk();
    handles[2].SetNamedTagEmpty("t");
    handles[3].EnsureContainer();
    handles[3]->AddChild("t", Leaf(ACSTagType::Blob, soup_test::Text("12")));
    for (const ACSChunkRef& soup : handles) {
        EXPECT_EQ(soup.HasTag("t"), &soup == &handles[3]);
        EXPECT_EQ(soup.GetNamedTag("t"), "");
        EXPECT_EQ(soup.GetNamedTagAsInt("t", -9), -9);
        EXPECT_TRUE(soup.GetNamedTagAsBool("t", true));
        EXPECT_FALSE(soup.GetNamedTagAsBool("t", false));
        EXPECT_EQ(soup.GetNamedTagAsFloat("t", 0.25f), 0.25f);
        EXPECT_EQ(soup.GetNamedTagAsKUID("t", fallbackKuid), fallbackKuid);
        EXPECT_TRUE(soup.GetNamedSoup("t").IsNull());
        FloatArray floats;
        floats.SetLength(3);
        EXPECT_FALSE(soup.GetCameraFloats(floats));
        EXPECT_EQ(floats.Length(), 0);
    }
    EXPECT_EQ(handles[0].CountTags(), 0);
    EXPECT_EQ(handles[0].GetNamedTagType("t"), ACSTagType::Null);
    EXPECT_EQ(handles[3].GetNamedTagType("t"), ACSTagType::Blob);
    EXPECT_FALSE(handles[3].GetNamedTagData("t").IsNull());
}

TEST(SoupHandle, TypedGettersTakeExactlyOneConvertedItem) {
    ACSChunkRef soup;
    soup.SetNamedTagString("text12", "12");
    soup.SetNamedTagString("blank12", " 12");
    soup.SetNamedTagString("12blank", "12 ");
    soup.SetNamedTagFloat("float", 2.9f);
    const float pair[] = {1.0f, 2.0f};
    soup.SetNamedTagFloatArray("pair", pair);
    soup.SetNamedTagString("kuidText", "<kuid:1:2>");
    soup.SetNamedTagInt("five", 5);
    soup.SetNamedTagInt("zero", 0);

    EXPECT_EQ(soup.GetNamedTagAsInt("text12", -1), 12);
    EXPECT_EQ(soup.GetNamedTagAsInt("blank12", -1), -1);
    EXPECT_EQ(soup.GetNamedTagAsInt("12blank", -1), 12);
    EXPECT_EQ(soup.GetNamedTagAsInt("float", -1), 2);
    EXPECT_EQ(soup.GetNamedTagAsInt("pair", -1), -1);
    EXPECT_EQ(soup.GetNamedTagAsFloat("pair", -1.0f), -1.0f);
    EXPECT_EQ(soup.GetNamedTagAsFloat("five", -1.0f), 5.0f);
    EXPECT_FALSE(soup.GetNamedTagAsBool("zero", true));
    EXPECT_TRUE(soup.GetNamedTagAsBool("five", false));

    EXPECT_EQ(soup.GetNamedTagAsKUID("kuidText", KUID::Null()), KUID(1, 2, 0));
    EXPECT_EQ(soup.GetNamedTagAsKUID("five", KUID::Null()), KUID(-1, 5, 127));
    EXPECT_EQ(soup.GetNamedTagAsInt("kuidText", -1), -1);
}

TEST(SoupHandle, GetNamedTagReadsAnyConvertibleValueAsText) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("int", 42);
    soup.SetNamedTagFloat("float", 0.5f);
    soup.SetNamedTagString("text", "hello");
    soup.EnsureContainer();
    soup->AddChild("kuids",
                   Leaf(ACSTagType::KUIDArray, soup_test::Kuids({KUID(1, 2, 3), KUID(4, 5, 0)})));
    soup->AddChild("blob", Leaf(ACSTagType::Blob, soup_test::Text("raw")));
    EXPECT_EQ(soup.GetNamedTag("int"), "42");
    EXPECT_EQ(soup.GetNamedTag("float"), "0.5");
    EXPECT_EQ(soup.GetNamedTag("text"), "hello");
    EXPECT_EQ(soup.GetNamedTag("kuids"), "<kuid2:1:2:3>");
    EXPECT_EQ(soup.GetNamedTag("blob"), "");
}

TEST(SoupHandle, CameraFloatsComeFromTheCameraTagInAnyNumericForm) {
    struct Case {
        std::function<void(ACSChunkRef&)> set;
        std::vector<float> floats;
    } cases[] = {
        {[](ACSChunkRef& s) {
             const float values[] = {1.0f, 2.5f, -3.0f};
             s.SetNamedTagFloatArray("camera", values);
         },
         {1.0f, 2.5f, -3.0f}},
        {[](ACSChunkRef& s) { s.SetNamedTagInt("camera", 4); }, {4.0f}},
        {[](ACSChunkRef& s) { s.SetNamedTagString("camera", "0.5"); }, {0.5f}},
        {[](ACSChunkRef& s) { s.SetNamedTagString("camera", "1,2"); }, {}},
    };
    for (const Case& c : cases) {
        ACSChunkRef soup;
        c.set(soup);
        FloatArray floats;
        EXPECT_EQ(soup.GetCameraFloats(floats), !c.floats.empty());
        EXPECT_EQ(std::vector<float>(floats.Data(), floats.Data() + floats.Length()), c.floats);
    }
}

TEST(SoupHandle, SubSoupsAreSharedNotCopied) {
    ACSChunkRef soup;
    ACSChunkRef sub;
    soup.SetNamedSoup("sub", sub); // an empty sub handle becomes a new container
    ASSERT_FALSE(sub.IsNull());
    sub.SetNamedTagInt("x", 1);
    EXPECT_TRUE(soup.GetNamedSoup("sub").IsSameNode(sub));
    EXPECT_TRUE(soup.GetIndexedSoup(0).IsSameNode(sub));
    EXPECT_EQ(soup.GetNamedSoup("sub").GetNamedTagAsInt("x", 0), 1);

    soup.SetNamedTagInt("leaf", 1);
    EXPECT_TRUE(soup.GetNamedSoup("leaf").IsNull());
    EXPECT_TRUE(soup.GetIndexedSoup(1).IsNull());
    EXPECT_TRUE(soup.GetIndexedSoup(2).IsNull());
    EXPECT_TRUE(soup.GetIndexedTagName(2).IsEmpty());
    EXPECT_TRUE(soup.GetIndexedTagName(-1).IsEmpty());
}

TEST(SoupHandle, TagDataKeepsItsChildAliveAfterTheChildGoes) {
    ACSChunkRef soup;
    soup.SetNamedTagString("s", "kept");
    ACSRawDataRef data = soup.GetNamedTagData("s");
    soup.RemoveNamedTag("s");
    soup.Release();
    EXPECT_EQ(data.Text(), "kept");
}

TEST(SoupHandle, RemovalsTakeTheFirstTagOfANameOrTheNodeGiven) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("a", 1);
    soup.SetNamedTagInt("b", 2);
    soup->AddChild("a", Leaf(ACSTagType::IntArray, soup_test::Ints({3})));
    soup.RemoveNamedTag("a");
    EXPECT_EQ(Names(soup), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(soup.GetNamedTagAsInt("a", 0), 3);
    soup.RemoveNamedTag("missing");
    soup.RemoveTag(soup->GetNamedChunk("b"));
    EXPECT_EQ(Names(soup), (std::vector<std::string>{"a"}));

    ACSChunkRef empty;
    empty.RemoveNamedTag("a");
    EXPECT_EQ(empty.Get(), nullptr);
}

TEST(SoupHandle, AUniqueTagNameIsTheFirstFreeNumber) {
    ACSChunkRef soup;
    EXPECT_EQ(soup.GetUniqueTagName(), Kiv::PString("0"));
    soup.SetNamedTagInt("0", 1);
    soup.SetNamedTagEmpty("1"); // a type-0 tag leaves its name free
    soup.SetNamedTagInt("2", 1);
    EXPECT_EQ(soup.GetUniqueTagName(), Kiv::PString("1"));
    soup.SetNamedTagInt("1", 1);
    EXPECT_EQ(soup.GetUniqueTagName(), Kiv::PString("3"));
}

TEST(SoupHandle, IsNullAndFromNonNullTreatEmptyTagsAsNothing) {
    ACSChunkRef none;
    ACSChunkRef nullChunk = ACSChunk::NullChunk();
    ACSChunkRef emptyTag = Leaf(ACSTagType::Null, ACSRawDataRef());
    ACSChunkRef container = NewContainer();
    EXPECT_TRUE(none.IsNull());
    EXPECT_TRUE(nullChunk.IsNull());
    EXPECT_TRUE(emptyTag.IsNull());
    EXPECT_FALSE(container.IsNull());
    EXPECT_EQ(ACSChunkRef::FromNonNull(nullChunk).Get(), nullptr);
    EXPECT_EQ(ACSChunkRef::FromNonNull(emptyTag).Get(), nullptr);
    EXPECT_TRUE(ACSChunkRef::FromNonNull(container).IsSameNode(container));
}

TEST(SoupHandle, EnsureContainerMakesOnlyAnEmptyHandleAContainer) {
    ACSChunkRef none;
    ACSChunkRef made = none.GetContainer();
    EXPECT_TRUE(made.IsSameNode(none));
    EXPECT_EQ(none->GetType(), ACSTagType::Container);

    ACSChunkRef nullChunk = ACSChunk::NullChunk();
    nullChunk.EnsureContainer();
    EXPECT_TRUE(nullChunk.IsSameNode(ACSChunk::NullChunk()));
}

TEST(SoupHandle, CopyFromMakesAnIndependentTree) {
    ACSChunkRef source;
    source.SetNamedTagInt("a", 1);
    ACSChunkRef sub;
    sub.SetNamedTagString("s", "text");
    source.SetNamedSoup("sub", sub);

    ACSChunkRef copy;
    copy.SetNamedTagInt("old", 1);
    copy.CopyFrom(source);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"a", "sub"}));
    EXPECT_FALSE(copy.GetNamedSoup("sub").IsSameNode(sub));
    ACSChunkRef copiedSub = copy.GetNamedSoup("sub");
    copiedSub.SetNamedTagInt("added", 1);
    copy.RemoveNamedTag("a");
    EXPECT_EQ(Names(source), (std::vector<std::string>{"a", "sub"}));
    EXPECT_EQ(Names(sub), (std::vector<std::string>{"s"}));

    copy.CopyFrom(ACSChunkRef());
    EXPECT_FALSE(copy.IsNull());
    EXPECT_EQ(copy.CountTags(), 0);
    copy.CopyFrom(copy); // from itself
    EXPECT_EQ(copy.CountTags(), 0);
}

std::vector<KUID> Listed(const KUIDList& set) {
    std::vector<KUID> listed;
    for (const KUID& kuid : set)
        listed.push_back(kuid);
    return listed;
}

TEST(SoupKuidWalk, CollectKUIDsTakesStrictTextsAndSingleKUIDsAtEveryDepth) {
    ACSChunkRef soup;
    soup.SetNamedTagString("strict", "<kuid:1:2>");
    soup.SetNamedTagString("loose", "1:3");
    soup.SetNamedTagString("word", "hello");
    soup.SetNamedTagKUID("single", KUID(4, 5, 0));
    soup.SetNamedTagKUID("again", KUID(1, 2, 0));
    soup.SetNamedTagKUID("null", KUID::Null());
    soup.SetNamedTagInt("number", 7);
    soup->AddChild("pair",
                   Leaf(ACSTagType::KUIDArray, soup_test::Kuids({KUID(8, 8, 0), KUID(9, 9, 0)})));
    ACSChunkRef sub;
    sub.SetNamedTagString("deep", "<kuid2:6:7:1>");
    soup.SetNamedSoup("sub", sub);

    KUIDList set;
    set.PushBack(KUID(0, 1, 0));
    ACSChunkRef::CollectKUIDs(soup, set);
    const std::vector<KUID> found = Listed(set);
    EXPECT_EQ(found,
              (std::vector<KUID>{KUID(0, 1, 0), KUID(1, 2, 0), KUID(4, 5, 0), KUID(6, 7, 1)}));
}

TEST(SoupKuidWalk, CollectKUIDTagsTakesEveryValueThatConvertsToOneKUID) {
    ACSChunkRef soup;
    soup.SetNamedTagString("loose", "1:3");
    soup.SetNamedTagInt("number", 7);
    soup.SetNamedTagKUID("kuid", KUID(4, 5, 0));
    soup.SetNamedTagString("word", "hello");
    ACSChunkRef sub;
    sub.SetNamedTagKUID("deep", KUID(6, 7, 1));
    soup.SetNamedSoup("sub", sub);

    KUIDList set;
    ACSChunkRef::CollectKUIDTags(soup, set);
    const std::vector<KUID> found = Listed(set);
    EXPECT_EQ(found, (std::vector<KUID>{KUID(1, 3, 0), KUID(-1, 7, 127), KUID(4, 5, 0)}));
}

TEST(SoupKuidWalk, ASoupThatHoldsItselfIsWalkedToABoundedDepth) {
    ACSChunkRef soup;
    soup.SetNamedTagKUID("k", KUID(1, 1, 0));
    soup.SetNamedSoup("self", soup);
    KUIDList set;
    ACSChunkRef::CollectKUIDs(soup, set);
    EXPECT_EQ(set.Count(), 1);
    soup.RemoveNamedTag("self");
}

TEST(SoupKuidWalk, FromKUIDSetNumbersTheNonNullKUIDs) {
    KUIDList set;
    set.PushBack(KUID(1, 2, 0));
    set.PushBack(KUID::Null());
    set.PushBack(KUID(3, 4, 5));
    ACSChunkRef soup = ACSChunkRef::FromKUIDSet(set);
    EXPECT_EQ(Names(soup), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(soup.GetNamedTagAsKUID("0", KUID::Null()), KUID(1, 2, 0));
    EXPECT_EQ(soup.GetNamedTagAsKUID("1", KUID::Null()), KUID(3, 4, 5));

    KUIDList onlyNull;
    onlyNull.PushBack(KUID::Null());
    EXPECT_EQ(ACSChunkRef::FromKUIDSet(onlyNull).Get(), nullptr);
    EXPECT_EQ(ACSChunkRef::FromKUIDSet(KUIDList()).Get(), nullptr);
}

} // namespace
