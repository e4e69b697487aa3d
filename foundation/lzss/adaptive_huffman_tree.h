// AdaptiveHuffmanTree: the self-adjusting code of the Huffman form of LZSS streams. Encoder
// and decoder start from the same balanced tree and update it after every symbol, so the
// code follows the data without being stored. The node array is kept sorted by frequency
// (ascending) and siblings are always neighbours; when the root's count passes 0x7FFF the
// leaf counts are halved and the inner nodes rebuilt in place.
#pragma once

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

    // The symbol's code, the bit nearest the root in bit 0, and its length in bits. The
    // counts stay below 0x10000, which keeps the tree under 32 levels.
    uint32_t Code(int symbol, int& length) const;

    int SymbolCount() const { return symbolCount_; }
    int LeafCount() const { return leafCount_; }
    int NodeCount() const { return static_cast<int>(frequency_.size()); }
    int Root() const { return NodeCount() - 1; }

    uint32_t Frequency(int node) const { return frequency_[node]; }
    int32_t Parent(int node) const { return parent_[node]; }
    // An inner node's first child (the second is the next index), or symbol | kLeafBit.
    uint16_t Child(int node) const { return child_[node]; }
    int32_t LeafOf(int symbol) const { return leaf_[symbol]; }
    bool IsLeaf(int node) const { return (child_[node] & kLeafBit) != 0; }

private:
    static constexpr int32_t kUnassigned = -2;  // parent mark while rebuilding

    void Swap(int a, int b);
    void Move(int from, int to);
    void Repoint(int node);
    int LastBelow(int from, uint32_t count) const;
    int FirstUnpaired(int from) const;
    int NextFreeSlot(int from, int& leavesLeft) const;
    int NextLeafAbove(int node) const;

    int symbolCount_;
    int leafCount_;
    std::vector<uint32_t> frequency_;
    std::vector<int32_t> parent_;
    std::vector<uint16_t> child_;
    std::vector<int32_t> leaf_;
};
