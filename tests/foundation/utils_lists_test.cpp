// Utils::DoubleLinkList (intrusive, header-closed ring) and Utils::PtrList (pointer nodes
// of its own): order of pushes at both ends, popping at a position, unlinking everything.
#include "foundation/utils/double_link_list.h"
#include "foundation/utils/ptr_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Item : Utils::IDoubleLinkListNode {
    explicit Item(int id) : id(id) {}
    int id;
};

std::vector<int> Ids(const Utils::DoubleLinkList& list) {
    std::vector<int> ids;
    for (auto* node = list.Begin(); node != list.End(); node = node->Next())
        ids.push_back(static_cast<Item*>(node)->id);
    std::vector<int> backwards;
    for (auto* node = list.End()->Prev(); node != list.End(); node = node->Prev())
        backwards.insert(backwards.begin(), static_cast<Item*>(node)->id);
    EXPECT_EQ(ids, backwards) << "prev links mirror next links";
    return ids;
}

TEST(DoubleLinkList, PushesAtBothEndsAndPopNodeMovesThePositionOn) {
    Item a(1), b(2), c(3), d(4);  // outlive the list, whose destructor unlinks them
    Utils::DoubleLinkList list;
    EXPECT_EQ(list.Begin(), list.End());
    list.PushBack(&b);
    list.PushFront(&a);
    list.PushBack(&c);
    list.PushBack(&d);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(list.Count(), 4u);
    Utils::IDoubleLinkListNode* position = &b;
    EXPECT_EQ(list.PopNode(position), &b);
    EXPECT_EQ(position, &c);
    EXPECT_EQ(b.Next(), nullptr);
    EXPECT_EQ(b.Prev(), nullptr);
    Utils::IDoubleLinkListNode* last = &d;
    EXPECT_EQ(list.PopNode(last), &d);
    EXPECT_EQ(last, list.End());
    EXPECT_EQ(list.PopNode(last), nullptr) << "the header is not a node";
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.Count(), 2u);
}

TEST(DoubleLinkList, UnlinkAllClearsEveryNodesLinks) {
    Item a(1), b(2);
    {
        Utils::DoubleLinkList list;
        list.PushBack(&a);
        list.PushBack(&b);
        list.UnlinkAll();
        EXPECT_EQ(list.Count(), 0u);
        EXPECT_EQ(list.Begin(), list.End());
        EXPECT_EQ(a.Next(), nullptr);
        list.PushBack(&a);
        list.PushBack(&b);
    }  // the destructor unlinks too
    EXPECT_EQ(b.Prev(), nullptr);
}

struct Owned {
    explicit Owned(int* deletions) : deletions(deletions) {}
    ~Owned() { ++*deletions; }
    int* deletions;
};

TEST(PtrList, KeepsValuesInOrderAndClearsWithOrWithoutThem) {
    int a = 1, b = 2, c = 3;
    Utils::PtrList list;
    ASSERT_TRUE(list.PushBack(&b));
    ASSERT_TRUE(list.PushBack(&c));
    ASSERT_TRUE(list.PushFront(&a));
    std::vector<int> values;
    for (auto* node = list.Begin(); node != list.End(); node = node->next)
        values.push_back(*static_cast<int*>(node->value));
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.Count(), 3u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Begin(), list.End());
    EXPECT_EQ(a, 1) << "values are left alone";

    int deletions = 0;
    ASSERT_TRUE(list.PushBack(new Owned(&deletions)));
    ASSERT_TRUE(list.PushBack(new Owned(&deletions)));
    list.ClearDeletingValues<Owned>();
    EXPECT_EQ(deletions, 2);
    ASSERT_TRUE(list.PushBack(&a));  // the destructor frees this node
}

}  // namespace
