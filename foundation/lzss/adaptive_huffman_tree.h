// AdaptiveHuffmanTree: the self-adjusting code of the Huffman form of LZSS streams. Encoder
// and decoder start from the same balanced tree and update it after every symbol, so the
// code follows the data without being stored. The node array is kept sorted by frequency
// (ascending) and siblings are always neighbours; when the root's count passes 0x7FFF the
// leaf counts are halved and the inner nodes rebuilt in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class AdaptiveHuffmanTree {
public:
    static constexpr uint16_t kLeafBit = 0x8000;          // child entry of a leaf: symbol | this
    static constexpr uint32_t kRebuildAbove = 0x7FFF;     // root count that triggers a rebuild

    explicit AdaptiveHuffmanTree(int symbolCount);

    // Counts the symbol once: rebuilds first when the root's count exceeds kRebuildAbove.
    void Update(int symbol);
    // Halves every leaf count (rounding up) and rebuilds the inner nodes in place.
    void Rebuild();

    // The symbol's code, the bit nearest the root in bit 0, and its length in bits. Codes
    // are sent while the root's count is at most 0x8000; as a node counts at least its
    // child and that child's sibling, paths grow like Fibonacci numbers and stay under
    // 24 nodes, so a code always fits 32 bits.
    uint32_t Code(int symbol, int& length) const;

    // The decoder's side: the nodes from the root (nodes[0]) to a leaf (nodes[length]).
    static constexpr int kMaxCodeLength = 32;
    struct Path {
        int length;
        int16_t nodes[kMaxCodeLength + 1];
    };
    // Follows the bits (the root's in bit 0) to a leaf; returns its symbol.
    int Walk(uint64_t bits, Path& path) const {
        const Node* const nodes = nodes_.data();
        size_t node = static_cast<size_t>(Root());
        int length = 0;
        path.nodes[0] = static_cast<int16_t>(node);
        for (uint32_t child = nodes[node].child; !(child & kLeafBit); child = nodes[node].child) {
            node = child + (bits & 1);
            bits >>= 1;
            path.nodes[++length] = static_cast<int16_t>(node);
        }
        path.length = length;
        return nodes[node].child & ~kLeafBit;
    }

    // Update of the symbol at the end of a path walked since the last change: it climbs
    // the recorded path (no parent lookups) until the first swap.
    void UpdateAlong(const Path& path) {
        Node* const nodes = nodes_.data();
        const int root = Root();
        if (nodes[root].frequency > kRebuildAbove) {
            Update(nodes[path.nodes[path.length]].child & ~kLeafBit);
            return;
        }
        for (int i = path.length; i > 0; --i) {
            const int c = path.nodes[i];
            const uint32_t k = ++nodes[c].frequency;
            if (nodes[c + 1].frequency < k) {
                SwapAndClimb(c, k);
                return;
            }
        }
        ++nodes[root].frequency;
    }

    int SymbolCount() const { return symbolCount_; }
    int LeafCount() const { return leafCount_; }
    int NodeCount() const { return nodeCount_; }
    int Root() const { return nodeCount_ - 1; }

    uint32_t Frequency(int node) const { return nodes_[node].frequency; }
    int32_t Parent(int node) const { return nodes_[node].parent; }
    // An inner node's first child (the second is the next index), or symbol | kLeafBit.
    uint16_t Child(int node) const { return nodes_[node].child; }
    int32_t LeafOf(int symbol) const { return leaf_[symbol]; }
    bool IsLeaf(int node) const { return (nodes_[node].child & kLeafBit) != 0; }

private:
    static constexpr int16_t kUnassigned = -2;  // parent mark while rebuilding
    static constexpr int kScanGroup = 8;        // nodes compared at once by LastBelow

    // One node's entries side by side: the update and the decoder's walk read them
    // together. 547 nodes at most, so 16 bits hold a parent index.
    struct Node {
        uint32_t frequency;
        int16_t parent;
        uint16_t child;
    };

    void Climb(int node);
    void SwapAndClimb(int node, uint32_t count);
    void Swap(int a, int b);
    void Move(int from, int to);
    void Repoint(int node);
    int LastBelow(int from, uint32_t count) const;
    int FirstUnpaired(int from) const;
    int NextFreeSlot(int from, int& leavesLeft) const;
    int NextLeafAbove(int node) const;

    int symbolCount_;
    int leafCount_;
    int nodeCount_;
    std::vector<Node> nodes_;  // the nodes, then kScanGroup - 1 of the highest count
    std::vector<int32_t> leaf_;
};
