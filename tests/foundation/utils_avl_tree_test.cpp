// Utils::GSIAVLTree: refused duplicates, removal of a node with two children (its in-order
// predecessor takes its place), iteration with the explicit stack, and a long random run
// against std::set with the AVL invariant checked at every step.
#include "foundation/utils/avl_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

class KeyNode : public Utils::GSIAVLNode {
  public:
    explicit KeyNode(int32_t key) : key(key) {}
    int32_t Compare(const GSIAVLNode& other) const override {
        const int32_t otherKey = static_cast<const KeyNode&>(other).key;
        return key < otherKey ? -1 : key > otherKey ? 1 : 0;
    }
    int32_t key;
};

int32_t KeyOf(const Utils::GSIAVLNode* node) { return static_cast<const KeyNode*>(node)->key; }

std::vector<int32_t> InOrder(const Utils::GSIAVLTree& tree) {
    std::vector<int32_t> keys;
    Utils::GSIAVLTree::Iterator it;
    tree.BeginIteration(it);
    for (bool more = it.Current() != nullptr; more; more = it.Next())
        keys.push_back(KeyOf(it.Current()));
    return keys;
}

// Height of a subtree read from its balances alone: one step down the taller side.
int32_t HeightByBalances(const Utils::GSIAVLNode* node) {
    int32_t height = 0;
    for (; node; ++height)
        node = node->Balance() == 0 ? node->Left() : node->Right();
    return height;
}

// Checks a node's balance against the heights of its children (read from their balances).
void CheckNode(const Utils::GSIAVLNode* node) {
    const int32_t difference = HeightByBalances(node->Right()) - HeightByBalances(node->Left());
    ASSERT_LE(std::abs(difference), 1) << "node " << KeyOf(node);
    ASSERT_EQ(node->Balance(), difference + 1) << "node " << KeyOf(node);
}

// Every step: each node on the path to `key`, where rotations happen, is checked. The
// subtrees beside the path were not touched; the periodic full check covers them.
void CheckPath(const Utils::GSIAVLTree& tree, int32_t key) {
    for (const Utils::GSIAVLNode* node = tree.Root(); node;) {
        CheckNode(node);
        if (KeyOf(node) == key) return;
        node = key < KeyOf(node) ? node->Left() : node->Right();
    }
}

// The whole tree: true heights, balances, and search order; returns the height.
int32_t CheckSubtree(const Utils::GSIAVLNode* node, int64_t low, int64_t high) {
    if (!node) return 0;
    const int32_t key = KeyOf(node);
    EXPECT_TRUE(key > low && key < high) << "node " << key << " out of order";
    const int32_t left = CheckSubtree(node->Left(), low, key);
    const int32_t right = CheckSubtree(node->Right(), key, high);
    EXPECT_EQ(node->Balance(), right - left + 1) << "node " << key;
    EXPECT_LE(std::abs(right - left), 1) << "node " << key;
    return 1 + std::max(left, right);
}

void CheckTree(const Utils::GSIAVLTree& tree, const std::set<int32_t>& model) {
    CheckSubtree(tree.Root(), INT64_MIN, INT64_MAX);
    ASSERT_EQ(InOrder(tree), std::vector<int32_t>(model.begin(), model.end()));
}

TEST(GSIAVLTree, AnEqualNodeIsRefusedAndTheTreeUnchanged) {
    Utils::GSIAVLTree tree;
    KeyNode a(5), b(3), twin(5);
    ASSERT_TRUE(tree.Insert(&a));
    ASSERT_TRUE(tree.Insert(&b));
    EXPECT_FALSE(tree.Insert(&twin));
    EXPECT_EQ(tree.Count(), 2u);
    EXPECT_EQ(tree.Find(twin), &a);
    EXPECT_EQ(InOrder(tree), (std::vector<int32_t>{3, 5}));
}

TEST(GSIAVLTree, RemovingANodeWithTwoChildrenPutsItsPredecessorInItsPlace) {
    Utils::GSIAVLTree tree;
    std::vector<std::unique_ptr<KeyNode>> nodes;
    for (int32_t key : {4, 2, 6, 1, 3, 5, 7}) {
        nodes.push_back(std::make_unique<KeyNode>(key));
        ASSERT_TRUE(tree.Insert(nodes.back().get()));
    }
    ASSERT_EQ(KeyOf(tree.Root()), 4);
    const KeyNode query(4);
    Utils::GSIAVLNode* removed = tree.Remove(query);
    EXPECT_EQ(removed, nodes[0].get());
    EXPECT_TRUE(removed->Left() == nullptr && removed->Right() == nullptr) << "unlinked";
    EXPECT_EQ(KeyOf(tree.Root()), 3) << "the largest of the left subtree";
    EXPECT_EQ(KeyOf(tree.Root()->Left()), 2);
    EXPECT_EQ(KeyOf(tree.Root()->Right()), 6);
    EXPECT_EQ(tree.Count(), 6u);
    EXPECT_EQ(tree.Remove(query), nullptr) << "already gone";
    CheckTree(tree, {1, 2, 3, 5, 6, 7});
}

TEST(GSIAVLTree, IteratingAnEmptyTreeFindsNothing) {
    Utils::GSIAVLTree tree;
    Utils::GSIAVLTree::Iterator it;
    EXPECT_FALSE(it.Next()) << "never begun, nothing is current";
    tree.BeginIteration(it);
    EXPECT_EQ(it.Current(), nullptr);
    EXPECT_FALSE(it.Next());
    EXPECT_EQ(it.Current(), nullptr);
    KeyNode only(1);
    ASSERT_TRUE(tree.Insert(&only));
    tree.BeginIteration(it);
    EXPECT_EQ(it.Current(), &only);
    EXPECT_FALSE(it.Next());
}

TEST(GSIAVLTree, AscendingInsertsStayBalancedAndIterateInOrder) {
    Utils::GSIAVLTree tree;
    std::vector<std::unique_ptr<KeyNode>> nodes;
    std::set<int32_t> model;
    for (int32_t key = 0; key < 4095; ++key) {
        nodes.push_back(std::make_unique<KeyNode>(key));
        ASSERT_TRUE(tree.Insert(nodes.back().get()));
        model.insert(key);
    }
    EXPECT_EQ(CheckSubtree(tree.Root(), INT64_MIN, INT64_MAX), 12) << "a perfect tree";
    CheckTree(tree, model);
}

TEST(GSIAVLTree, RandomInsertsAndRemovalsMatchStdSetWithTheInvariantAtEveryStep) {
    constexpr int32_t kKeys = 30000;
    constexpr int kSteps = 200000;  // 100k of each kind, mixed
    std::vector<std::unique_ptr<KeyNode>> nodes;
    for (int32_t key = 0; key < kKeys; ++key)
        nodes.push_back(std::make_unique<KeyNode>(key));
    std::mt19937 random(121);
    Utils::GSIAVLTree tree;
    std::set<int32_t> model;
    int inserts = 0;
    for (int step = 0; step < kSteps; ++step) {
        const int32_t key = static_cast<int32_t>(random() % kKeys);
        const bool insert = inserts < kSteps / 2 && (random() % 2 == 0 || step - inserts >= kSteps / 2);
        if (insert) {
            ++inserts;
            ASSERT_EQ(tree.Insert(nodes[key].get()), model.insert(key).second) << key;
            CheckPath(tree, key);
        } else {
            // The predecessor that may take the removed node's place was unlinked deeper down:
            // its old path is checked too.
            const auto found = model.find(key);
            const bool hasPredecessor = found != model.end() && found != model.begin();
            const int32_t predecessor = hasPredecessor ? *std::prev(found) : key;
            const KeyNode query(key);
            Utils::GSIAVLNode* removed = tree.Remove(query);
            ASSERT_EQ(removed != nullptr, model.erase(key) == 1) << key;
            ASSERT_TRUE(removed == nullptr || removed == nodes[key].get());
            CheckPath(tree, key);
            CheckPath(tree, predecessor);
        }
        ASSERT_EQ(tree.Count(), model.size());
        ASSERT_EQ(tree.Find(KeyNode(key)) != nullptr, model.count(key) == 1);
        if (step % 500 == 0) CheckTree(tree, model);
        if (HasFatalFailure()) return;
    }
    CheckTree(tree, model);
}

}  // namespace
