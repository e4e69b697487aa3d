// The soup chunk tree: child lists of containers (order, repeated names, removal, swaps),
// the shared null chunk, value blocks and their lifetimes, deep copies and the child sort.
#include "foundation/soup/chunk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/soup/container_tag.h"
#include "foundation/soup/data_tag.h"
#include "foundation/soup/soup_depth.h"
#include "soup_test_support.h"

namespace {

using soup_test::Ints;
using soup_test::Leaf;
using soup_test::NewContainer;
using soup_test::Text;

// The children's names in order, "name=value" for integer leaves.
std::vector<std::string> Listing(const ACSChunkRef& container) {
    std::vector<std::string> listing;
    for (int32_t i = 0; i < container->CountChildren(); ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        EXPECT_TRUE(container->GetIndexedChild(i, name, child));
        std::string line(name.View());
        if (child->GetType() == ACSTagType::IntArray) {
            int32_t value = 0;
            std::memcpy(&value, child->GetData(), 4);
            line += "=" + std::to_string(value);
        }
        listing.push_back(line);
    }
    return listing;
}

ACSChunkRef AddInt(const ACSChunkRef& container, const char* name, int32_t value) {
    ACSChunkRef leaf = container->CreateTag(ACSTagType::IntArray, Ints({value}));
    container->AddChild(name, leaf);
    return leaf;
}

TEST(SoupChunk, ContainersKeepInsertionOrderAndLookupsTakeTheFirstOfAName) {
    ACSChunkRef root = NewContainer();
    ACSChunkRef first = AddInt(root, "a", 1);
    AddInt(root, "b", 2);
    AddInt(root, "a", 3);
    EXPECT_EQ(Listing(root), (std::vector<std::string>{"a=1", "b=2", "a=3"}));
    EXPECT_TRUE(root->GetNamedChunk("a").IsSameNode(first));
    EXPECT_TRUE(root->GetNamedChunkConst("a").IsSameNode(first));
    EXPECT_TRUE(root->GetNamedChunk("A").IsSameNode(ACSChunk::NullChunk())); // exact case
    EXPECT_TRUE(root->GetNamedChunk("missing").IsSameNode(ACSChunk::NullChunk()));

    root->AddChild("empty", ACSChunkRef());
    EXPECT_EQ(root->CountChildren(), 3);
}

TEST(SoupChunk, IndexesOutsideTheChildrenGiveNothing) {
    ACSChunkRef root = NewContainer();
    AddInt(root, "a", 1);
    ACSChunkRef leaf = AddInt(NewContainer(), "x", 1);
    for (const ACSChunkRef& node : {root, leaf, ACSChunk::NullChunk()}) {
        for (int32_t index : {-1, 1, INT32_MIN}) {
            Kiv::PString name = "stale";
            ACSChunkRef child = root;
            EXPECT_FALSE(node->GetIndexedChild(index, name, child));
            EXPECT_TRUE(name.IsEmpty());
            EXPECT_TRUE(child.IsSameNode(ACSChunk::NullChunk()));
        }
    }
}

TEST(SoupChunk, RemoveChildTakesTheFirstEntryHoldingThatNode) {
    ACSChunkRef root = NewContainer();
    ACSChunkRef shared = AddInt(root, "a", 1);
    AddInt(root, "b", 2);
    root->AddChild("c", shared);
    root->RemoveChild(shared);
    EXPECT_EQ(Listing(root), (std::vector<std::string>{"b=2", "c=1"}));
    root->RemoveChild(AddInt(NewContainer(), "elsewhere", 9));
    root->RemoveChild(ACSChunk::NullChunk());
    EXPECT_EQ(Listing(root), (std::vector<std::string>{"b=2", "c=1"}));
}

struct WatchedContainer : TDBContainerTag {
    explicit WatchedContainer(int* destroyed) : destroyed(destroyed) {}
    ~WatchedContainer() override { ++*destroyed; }
    int* destroyed;
};

TEST(SoupChunk, ReleasingAContainerReleasesItsSubtree) {
    int destroyed = 0;
    ACSChunkRef root = ACSChunkRef::Adopt(new WatchedContainer(&destroyed));
    ACSChunkRef sub = ACSChunkRef::Adopt(new WatchedContainer(&destroyed));
    sub->AddChild("leaf", ACSChunkRef::Adopt(new WatchedContainer(&destroyed)));
    root->AddChild("sub", sub);
    root->AddChild("again", sub);

    ACSChunk* node = sub.Get();
    sub.Release();
    root->RemoveChild(ACSChunkRef::Share(node));
    EXPECT_EQ(destroyed, 0); // still held under "again"
    root.Release();
    EXPECT_EQ(destroyed, 3);
}

TEST(SoupChunk, SwapChildrenExchangesTheNodesAndKeepsTheNames) {
    ACSChunkRef root = NewContainer();
    ACSChunkRef a = AddInt(root, "a", 1);
    AddInt(root, "m", 5);
    ACSChunkRef b = AddInt(root, "b", 2);
    root->SwapChildren(a, b);
    EXPECT_EQ(Listing(root), (std::vector<std::string>{"a=2", "m=5", "b=1"}));
    EXPECT_TRUE(root->GetNamedChunk("a").IsSameNode(b));

    root->SwapChildren(a, a);
    root->SwapChildren(a, AddInt(NewContainer(), "elsewhere", 9));
    EXPECT_EQ(Listing(root), (std::vector<std::string>{"a=2", "m=5", "b=1"}));
}

TEST(SoupChunk, SwapChildrenTakesTheLastEntryHoldingEachNode) {
    ACSChunkRef root = NewContainer();
    ACSChunkRef a = AddInt(root, "a1", 1);
    ACSChunkRef b = AddInt(root, "b", 2);
    root->AddChild("a2", a);
    root->SwapChildren(a, b);
    EXPECT_EQ(Listing(root), (std::vector<std::string>{"a1=1", "b=1", "a2=2"}));
}

TEST(SoupChunk, CreateTagMakesAContainerOrADataTagHoldingTheValue) {
    ACSChunkRef root = NewContainer();
    ACSRawDataRef value = Ints({4});
    ACSChunkRef container = root->CreateTag(ACSTagType::Container, value);
    EXPECT_EQ(container->GetType(), ACSTagType::Container);
    EXPECT_EQ(container->GetDataSize(), 0u);
    EXPECT_NE(dynamic_cast<TDBContainerTag*>(container.Get()), nullptr);

    ACSChunkRef leaf = root->CreateTag(ACSTagType::IntArray, value);
    EXPECT_EQ(leaf->GetType(), ACSTagType::IntArray);
    EXPECT_EQ(leaf->GetData(), value.Data()); // shared, not copied
    EXPECT_EQ(leaf->GetDataSize(), 4u);
    EXPECT_EQ(leaf->RefCount(), 1);
    EXPECT_EQ(root->CountChildren(), 0); // not attached

    // A leaf has no children and makes no nodes.
    EXPECT_TRUE(leaf->CreateTag(ACSTagType::IntArray, value).IsSameNode(ACSChunk::NullChunk()));
    leaf->AddChild("x", container);
    EXPECT_EQ(leaf->CountChildren(), 0);
}

TEST(SoupChunk, TheNullChunkIsOneSharedEmptyTag) {
    ACSChunkRef one = ACSChunk::NullChunk();
    ACSChunkRef two = ACSChunk::NullChunk();
    EXPECT_TRUE(one.IsSameNode(two));
    EXPECT_EQ(one->GetType(), ACSTagType::Null);
    EXPECT_EQ(one->GetData(), nullptr);
    one->SetData(ACSTagType::IntArray, Ints({1}));
    EXPECT_EQ(one->GetType(), ACSTagType::Null);

    EXPECT_TRUE(ACSChunk::IsNullNode(one.Get()));
    EXPECT_TRUE(ACSChunk::IsNullNode(nullptr));
    EXPECT_TRUE(ACSChunk::IsNullNode(Leaf(ACSTagType::Null, ACSRawDataRef()).Get()));
    EXPECT_FALSE(ACSChunk::IsNullNode(NewContainer().Get()));
    EXPECT_FALSE(ACSChunk::IsNullNode(Leaf(ACSTagType::Blob, ACSRawDataRef()).Get()));
}

TEST(SoupRawData, EmptyOrMissingBytesMakeNoBlock) {
    uint8_t byte = 7;
    EXPECT_TRUE(ACSRawDataRef::CopyBytes(0, &byte).IsNull());
    EXPECT_TRUE(ACSRawDataRef::CopyBytes(1, nullptr).IsNull());
    EXPECT_TRUE(ACSRawDataRef::Adopt(1, nullptr).IsNull());
    EXPECT_TRUE(ACSRawDataRef::Adopt(0, static_cast<uint8_t*>(Kiv::Alloc::Raw(4))).IsNull());
    ACSChunkRef node = NewContainer();
    EXPECT_TRUE(ACSRawDataRef::Borrow(0, &byte, node).IsNull());
    EXPECT_EQ(node->RefCount(), 1); // the borrow dropped its reference

    ACSRawDataRef copy = ACSRawDataRef::CopyBytes(1, &byte);
    EXPECT_NE(copy.Data(), &byte);
    EXPECT_EQ(copy.Data()[0], 7);
}

TEST(SoupRawData, TextStopsAtTheFirstZeroByteAndNeverPassesTheSize) {
    const char bytes[] = {'a', 'b', 'c', 0, 'd', 'e'};
    ACSChunkRef owner = NewContainer();
    struct Case {
        uint32_t size;
        std::string_view text;
    } cases[] = {{6, "abc"}, {4, "abc"}, {2, "ab"}};
    for (const Case& c : cases)
        EXPECT_EQ(
            ACSRawDataRef::Borrow(c.size, reinterpret_cast<const uint8_t*>(bytes), owner).Text(),
            c.text);
    EXPECT_EQ(ACSRawDataRef().Text(), "");
}

TEST(SoupRawData, ABorrowedValueKeepsItsNodeAliveAndOutlivesIt) {
    ACSChunkRef leaf = Leaf(ACSTagType::IntArray, Ints({42}));
    ACSRawDataRef borrowed = ACSChunk::GetRawData(leaf);
    EXPECT_EQ(borrowed.Data(), leaf->GetData());
    EXPECT_EQ(leaf->RefCount(), 2);
    leaf.Release();
    int32_t value = 0;
    std::memcpy(&value, borrowed.Data(), 4);
    EXPECT_EQ(value, 42);
}

TEST(SoupDeepCopy, NodesAreNewAndValuesShared) {
    ACSChunkRef source = NewContainer();
    ACSChunkRef leaf = AddInt(source, "a", 1);
    ACSChunkRef sub = NewContainer();
    ACSChunkRef inner = AddInt(sub, "x", 2);
    source->AddChild("sub", sub);

    ACSChunkRef copy = NewContainer();
    AddInt(copy, "old", 9);
    ACSChunk::DeepCopyInto(copy, source);
    EXPECT_EQ(Listing(copy), (std::vector<std::string>{"a=1", "sub"}));

    ACSChunkRef copiedLeaf = copy->GetNamedChunk("a");
    EXPECT_FALSE(copiedLeaf.IsSameNode(leaf));
    EXPECT_EQ(copiedLeaf->GetData(), leaf->GetData());
    ACSChunkRef copiedSub = copy->GetNamedChunk("sub");
    EXPECT_FALSE(copiedSub.IsSameNode(sub));
    EXPECT_EQ(copiedSub->GetNamedChunk("x")->GetData(), inner->GetData());

    copy->RemoveChild(copiedLeaf);
    copiedSub->RemoveChild(copiedSub->GetNamedChunk("x"));
    EXPECT_EQ(Listing(source), (std::vector<std::string>{"a=1", "sub"}));
    EXPECT_EQ(sub->CountChildren(), 1);
}

TEST(SoupDeepCopy, ASoupThatHoldsItselfCopiesToABoundedDepth) {
    ACSChunkRef loop = NewContainer();
    loop->AddChild("self", loop);
    ACSChunkRef copy = NewContainer();
    ACSChunk::DeepCopyInto(copy, loop);
    loop->RemoveChild(loop); // break the cycle so the source can go

    int depth = 0;
    for (ACSChunkRef node = copy; node->CountChildren() > 0; node = node->GetNamedChunk("self"))
        ++depth;
    // The copy's root and the containers at levels 0 to 511 hold one child each: the
    // deepest copied tag lies kMaxSoupDepth containers below the root.
    EXPECT_EQ(depth, kMaxSoupDepth + 1);
}

TEST(SoupDeepCopy, ADataTagDestinationTakesTheSourcesTypeAndValueButNoChildren) {
    ACSChunkRef leaf = Leaf(ACSTagType::Blob, Text("xy"));
    ACSChunkRef intLeaf = Leaf(ACSTagType::IntArray, Ints({5}));
    ACSChunk::DeepCopyInto(leaf, intLeaf);
    EXPECT_EQ(leaf->GetType(), ACSTagType::IntArray);
    EXPECT_EQ(leaf->GetData(), intLeaf->GetData());

    ACSChunkRef source = NewContainer();
    AddInt(source, "a", 1);
    ACSChunk::DeepCopyInto(leaf, source);
    EXPECT_EQ(leaf->GetDataSize(), 0u);
    EXPECT_EQ(leaf->CountChildren(), 0);
}

TEST(SoupSort, ChildrenSortByTheUnsignedBytesOfTheirNames) {
    struct Case {
        std::vector<std::string> names;
        std::vector<std::string> sorted;
    } cases[] = {
        {{"b", "B", "a10", "a9"}, {"B", "a10", "a9", "b"}},
        {{"z", "\xC3\xA9", "", "a"}, {"", "a", "z", "\xC3\xA9"}},
        {{"ab", "a", "abc"}, {"a", "ab", "abc"}},
        {{"one"}, {"one"}},
    };
    for (const Case& c : cases) {
        ACSChunkRef root = NewContainer();
        for (const std::string& name : c.names)
            root->AddChild(Kiv::PString(name.c_str()), NewContainer());
        root->SortChildren();
        EXPECT_EQ(Listing(root), c.sorted);
    }
}

TEST(SoupSort, ALongListSortsAndKeepsEveryNode) {
    ACSChunkRef root = NewContainer();
    std::vector<std::string> expected;
    for (int i = 0; i < 200; ++i) {
        const int key = (i * 37) % 100; // each key twice
        root->AddChild(Kiv::PString::Setf("k%03d", key), Leaf(ACSTagType::IntArray, Ints({i})));
    }
    root->SortChildren();
    ASSERT_EQ(root->CountChildren(), 200);
    std::vector<std::string> listing = Listing(root);
    for (size_t i = 1; i < listing.size(); ++i)
        EXPECT_LE(listing[i - 1].substr(0, 4), listing[i].substr(0, 4));
    // Children of one name keep their order, so a lookup still finds the first added.
    EXPECT_EQ(listing[0], "k000=0");
    EXPECT_EQ(listing[1], "k000=100");
}

} // namespace
