// Lookups by name on a binary view large enough to index its names: the first live entry of
// each name, repeated names, unnamed entries, and edits through the view and through another
// view of the same region, which the index must follow.
#include <gtest/gtest.h>

#include <string>

#include "soup_binary_test_support.h"

namespace {

using namespace soup_binary_test;

// 100 entries "k0" .. "k99" holding their number, then "k7" again holding -7 and an unnamed
// entry: some 1.5 KB, beyond what is scanned for every name.
Bytes ManyNames() {
    Bytes body;
    for (int i = 0; i < 100; ++i) {
        const Bytes entry = Entry("k" + std::to_string(i), 1, Int32(i));
        body.insert(body.end(), entry.begin(), entry.end());
    }
    return Join({body, Entry("k7", 1, Int32(-7)), Entry("", 1, Int32(1000))});
}

int32_t Value(const ACSChunkRef& soup, const std::string& name) {
    return soup.GetNamedTagAsInt(Kiv::PString(name.c_str()), 99999);
}

TEST(SoupBinaryNameLookup, EveryLookupFindsTheFirstLiveEntryOfItsName) {
    ReadResult read = Read(File(ManyNames()));
    ASSERT_NE(read.soup.Get(), nullptr);
    ACSChunkRef& soup = read.soup;
    for (int round = 0; round < 2; ++round) {
        for (int i = 99; i >= 0; --i)
            EXPECT_EQ(Value(soup, "k" + std::to_string(i)), i);
        EXPECT_EQ(Value(soup, "k100"), 99999);
        EXPECT_EQ(Value(soup, "K7"), 99999);
        EXPECT_EQ(soup.GetNamedTagAsInt(Kiv::PString(), 0), 1000);
    }

    // Removing the first "k7" uncovers the second; a set tag is found among the added ones.
    soup->RemoveChild(soup->GetNamedChunkConst(Kiv::PString("k7")));
    EXPECT_EQ(Value(soup, "k7"), -7);
    soup.SetNamedTagInt(Kiv::PString("k3"), 33);
    EXPECT_EQ(Value(soup, "k3"), 33);
    EXPECT_EQ(Value(soup, "k4"), 4);

}

// A container of many children: each view of it indexes its names once and finds every one.
TEST(SoupBinaryNameLookup, NestedViewsIndexTheirOwnRegions) {
    const Bytes inner = ManyNames();
    const ReadResult read =
        Read(File(Join({Entry("a", 0, inner), Entry("b", 0, inner), Entry("a", 1, Int32(5))})));
    for (const char* name : {"a", "b"}) {
        const ACSChunkRef sub = read.soup.GetNamedSoup(Kiv::PString(name));
        ASSERT_NE(sub.Get(), nullptr) << name;
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(Value(sub, "k" + std::to_string(i)), i) << name;
        EXPECT_EQ(Value(sub, "k7"), 7);
    }
    EXPECT_EQ(read.soup.GetNamedTagType(Kiv::PString("a")), ACSTagType::Container);

    // An edit made through another view of the region shows in an indexed one.
    const ACSChunkRef first = read.soup.GetNamedSoup(Kiv::PString("a"));
    ACSChunkRef second = read.soup.GetNamedSoup(Kiv::PString("a"));
    ASSERT_FALSE(first.IsSameNode(second));
    EXPECT_EQ(Value(first, "k50"), 50);
    EXPECT_EQ(Value(first, "k51"), 51);
    second.RemoveNamedTag(Kiv::PString("k50"));
    EXPECT_EQ(Value(first, "k50"), 99999);
    EXPECT_EQ(Value(first, "k51"), 51);
}

} // namespace
