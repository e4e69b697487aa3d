// AdaptiveHuffmanTree: the node arrays after set-up, after updates (with and without
// swaps) and after an in-place rebuild, worked out by hand on a four-symbol tree; the
// automatic rebuild past 0x7FFF; and the tree's invariants under long skewed runs.
#include "foundation/lzss/adaptive_huffman_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

struct TreeState {
    std::vector<uint32_t> frequency;
    std::vector<int32_t> parent;
    std::vector<uint16_t> child;
    std::vector<int32_t> leaf;
};

void ExpectState(const AdaptiveHuffmanTree& tree, const TreeState& want) {
    ASSERT_EQ(tree.NodeCount(), static_cast<int>(want.frequency.size()));
    for (int node = 0; node < tree.NodeCount(); ++node) {
        EXPECT_EQ(tree.Frequency(node), want.frequency[node]) << "frequency of node " << node;
        EXPECT_EQ(tree.Parent(node), want.parent[node]) << "parent of node " << node;
        EXPECT_EQ(tree.Child(node), want.child[node]) << "child of node " << node;
    }
    for (int symbol = 0; symbol < tree.LeafCount(); ++symbol) {
        EXPECT_EQ(tree.LeafOf(symbol), want.leaf[symbol]) << "leaf of symbol " << symbol;
    }
}

const TreeState kSetUp = {{1, 1, 1, 1, 2, 2, 4},
                          {4, 4, 5, 5, 6, 6, -1},
                          {0x8000, 0x8001, 0x8002, 0x8003, 0, 2, 4},
                          {0, 1, 2, 3}};

// One update and the arrays after it.
struct Step {
    int symbol;
    TreeState after;
};

TEST(AdaptiveHuffmanTree, SetUpPairsNeighboursBottomUp) {
    ExpectState(AdaptiveHuffmanTree(4), kSetUp);
    // An odd symbol count gets one more leaf; the literal/length tree has 274 leaves.
    AdaptiveHuffmanTree odd(3);
    EXPECT_EQ(odd.LeafCount(), 4);
    EXPECT_EQ(odd.NodeCount(), 7);
    AdaptiveHuffmanTree literals(273);
    EXPECT_EQ(literals.LeafCount(), 274);
    EXPECT_EQ(literals.NodeCount(), 547);
    EXPECT_EQ(literals.Frequency(literals.Root()), 274u);
}

TEST(AdaptiveHuffmanTree, UpdatesThenRebuildMatchHandWorkedArrays) {
    // Sequence 1: a swap with the last leaf of count 1, a leaf swapped with an inner
    // node, and two swaps inside the lowest pair.
    const std::vector<Step> steps = {
        {2, {{1, 1, 1, 2, 2, 3, 5}, {4, 4, 5, 5, 6, 6, -1},
             {0x8000, 0x8001, 0x8003, 0x8002, 0, 2, 4}, {0, 1, 3, 2}}},
        {2, {{1, 1, 1, 2, 3, 3, 6}, {3, 3, 5, 5, 6, 6, -1},
             {0x8000, 0x8001, 0x8003, 0, 0x8002, 2, 4}, {0, 1, 4, 2}}},
        {0, {{1, 1, 2, 2, 3, 4, 7}, {3, 3, 5, 5, 6, 6, -1},
             {0x8003, 0x8001, 0x8000, 0, 0x8002, 2, 4}, {2, 1, 4, 0}}},
        {3, {{1, 2, 2, 3, 3, 5, 8}, {3, 3, 5, 5, 6, 6, -1},
             {0x8001, 0x8003, 0x8000, 0, 0x8002, 2, 4}, {2, 0, 4, 1}}},
    };
    AdaptiveHuffmanTree tree(4);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.symbol);
        tree.Update(step.symbol);
        ExpectState(tree, step.after);
    }
    // Leaf counts 1, 2, 2, 3 halve to 1, 1, 1, 2; the pairs are built in the old inner
    // nodes' places.
    tree.Rebuild();
    ExpectState(tree, {{1, 1, 1, 2, 2, 3, 5}, {3, 3, 5, 5, 6, 6, -1},
                       {0x8001, 0x8003, 0x8000, 0, 0x8002, 2, 4}, {2, 0, 4, 1}});
}

TEST(AdaptiveHuffmanTree, RebuildLetsASmallerLeafPassTheNewNode) {
    const std::vector<Step> steps = {
        {0, {{1, 1, 1, 2, 2, 3, 5}, {4, 4, 5, 5, 6, 6, -1},
             {0x8003, 0x8001, 0x8002, 0x8000, 0, 2, 4}, {3, 1, 2, 0}}},
        {0, {{1, 1, 1, 2, 3, 3, 6}, {3, 3, 5, 5, 6, 6, -1},
             {0x8003, 0x8001, 0x8002, 0, 0x8000, 2, 4}, {4, 1, 2, 0}}},
        {0, {{1, 1, 1, 2, 3, 4, 7}, {3, 3, 4, 4, 6, 6, -1},
             {0x8003, 0x8001, 0x8002, 0, 2, 0x8000, 4}, {5, 1, 2, 0}}},
        {2, {{1, 1, 2, 2, 4, 4, 8}, {3, 3, 4, 4, 6, 6, -1},
             {0x8003, 0x8001, 0x8002, 0, 2, 0x8000, 4}, {5, 1, 2, 0}}},
    };
    AdaptiveHuffmanTree tree(4);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.symbol);
        tree.Update(step.symbol);
        ExpectState(tree, step.after);
    }
    // Symbol 0 halves from 4 to 2: it moves down into place 4 ahead of the node of
    // count 3 made from symbol 2 and the lowest pair.
    tree.Rebuild();
    ExpectState(tree, {{1, 1, 1, 2, 2, 3, 5}, {3, 3, 5, 5, 6, 6, -1},
                       {0x8003, 0x8001, 0x8002, 0, 0x8000, 2, 4}, {4, 1, 2, 0}});
    // Updates go on from the rebuilt tree.
    tree.Update(2);
    ExpectState(tree, {{1, 1, 2, 2, 2, 4, 6}, {3, 3, 5, 5, 6, 6, -1},
                       {0x8003, 0x8001, 0x8002, 0, 0x8000, 2, 4}, {4, 1, 2, 0}});
}

TEST(AdaptiveHuffmanTree, RebuildsWhenTheRootPasses0x7FFF) {
    AdaptiveHuffmanTree tree(4);
    for (int i = 0; i < 0x8000 - 4; ++i) tree.Update(0);
    // The root reached 0x8000 without a rebuild: 0x7FFF is not past the limit.
    EXPECT_EQ(tree.Frequency(tree.Root()), 0x8000u);
    EXPECT_EQ(tree.Frequency(tree.LeafOf(0)), 0x8000u - 3);
    tree.Update(0);
    // Halved (32765 + 1) / 2 = 16383, counted once more; the others stay at 1.
    EXPECT_EQ(tree.Frequency(tree.LeafOf(0)), 16384u);
    EXPECT_EQ(tree.Frequency(tree.Root()), 16387u);
    const int lengths[] = {1, 3, 2, 3};
    for (int symbol = 0; symbol < 4; ++symbol) {
        int length = 0;
        tree.Code(symbol, length);
        EXPECT_EQ(length, lengths[symbol]) << "symbol " << symbol;
    }
}

TEST(AdaptiveHuffmanTree, CodesArePathsWithTheFirstChildAsZero) {
    // After set-up, symbol 2 of four sits under node 5, the root's second child.
    AdaptiveHuffmanTree tree(4);
    int length = 0;
    EXPECT_EQ(tree.Code(2, length), 0b01u);  // root bit 1 first, then 0
    EXPECT_EQ(length, 2);
    EXPECT_EQ(tree.Code(1, length), 0b10u);
    EXPECT_EQ(length, 2);
}

// Sorted counts, sums, parent and child links that agree, leaf entries that point at
// their leaves, parents above their children, and codes under 32 bits.
void ExpectValidTree(const AdaptiveHuffmanTree& tree) {
    const int root = tree.Root();
    ASSERT_EQ(tree.Parent(root), -1);
    for (int node = 0; node < tree.NodeCount(); ++node) {
        if (node + 1 < tree.NodeCount()) {
            ASSERT_LE(tree.Frequency(node), tree.Frequency(node + 1)) << "order at " << node;
        }
        if (node != root) {
            const int parent = tree.Parent(node);
            ASSERT_GT(parent, node);
            ASSERT_LE(parent, root);
            ASSERT_FALSE(tree.IsLeaf(parent));
            ASSERT_EQ(tree.Child(parent), node & ~1) << "child link of node " << node;
        }
        if (tree.IsLeaf(node)) {
            const int symbol = tree.Child(node) & ~AdaptiveHuffmanTree::kLeafBit;
            ASSERT_LT(symbol, tree.LeafCount());
            ASSERT_EQ(tree.LeafOf(symbol), node);
        } else {
            const int child = tree.Child(node);
            ASSERT_EQ(tree.Frequency(node), tree.Frequency(child) + tree.Frequency(child + 1));
        }
    }
    for (int symbol = 0; symbol < tree.LeafCount(); ++symbol) {
        int length = 0;
        tree.Code(symbol, length);
        ASSERT_GT(length, 0);
        ASSERT_LT(length, 32);
    }
}

TEST(AdaptiveHuffmanTree, StaysValidThroughSkewedRunsAndRebuilds) {
    struct Case {
        int symbols;
        int updates;
        int checkEvery;
    };
    const Case cases[] = {{4, 70000, 1}, {16, 70000, 1}, {64, 140000, 61}, {273, 140000, 97}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbols);
        AdaptiveHuffmanTree tree(c.symbols);
        std::mt19937 random(static_cast<uint32_t>(c.symbols));
        // Geometric-like skew that drifts, so the order of symbols keeps changing.
        std::geometric_distribution<int> skew(0.15);
        int rebuilds = 0;
        for (int i = 0; i < c.updates; ++i) {
            const int symbol = (skew(random) + i / 5000) % c.symbols;
            const uint32_t before = tree.Frequency(tree.Root());
            tree.Update(symbol);
            const bool rebuilt = tree.Frequency(tree.Root()) < before;
            rebuilds += rebuilt;
            if (rebuilt || i % c.checkEvery == 0) ExpectValidTree(tree);
            if (HasFatalFailure()) return;
        }
        EXPECT_GE(rebuilds, 2);
    }
}

TEST(AdaptiveHuffmanTree, DecoderWalkAndUpdateMatchTheEncoderSide) {
    // The encoder codes with Code and counts with Update; the decoder walks the bits and
    // counts along the walked path. Both trees must stay equal, rebuilds included.
    AdaptiveHuffmanTree encoder(273);
    AdaptiveHuffmanTree decoder(273);
    std::mt19937 random(99);
    for (int i = 0; i < 100000; ++i) {
        const int symbol = static_cast<int>(random() % (i % 3 == 0 ? 273 : 7));
        int length = 0;
        const uint32_t code = encoder.Code(symbol, length);
        encoder.Update(symbol);
        AdaptiveHuffmanTree::Path path;
        ASSERT_EQ(decoder.Walk(code, path), symbol);
        ASSERT_EQ(path.length, length);
        decoder.UpdateAlong(path);
        if (i % 1000 != 0) continue;
        for (int node = 0; node < encoder.NodeCount(); ++node) {
            ASSERT_EQ(decoder.Frequency(node), encoder.Frequency(node)) << i;
            ASSERT_EQ(decoder.Child(node), encoder.Child(node)) << i;
            ASSERT_EQ(decoder.Parent(node), encoder.Parent(node)) << i;
        }
    }
}

}  // namespace
