// The adaptive tree's set-up, update (count, then swap with the last node of the same
// count) and in-place rebuild. Encoder and decoder run exactly this code, so any change
// here changes the stream format.
#include "foundation/lzss/adaptive_huffman_tree.h"

#include <algorithm>

AdaptiveHuffmanTree::AdaptiveHuffmanTree(int symbolCount)
    : symbolCount_(symbolCount), leafCount_((symbolCount + 1) & ~1) {
    const int nodes = 2 * leafCount_ - 1;
    frequency_.resize(nodes);
    parent_.resize(nodes);
    child_.resize(nodes);
    leaf_.resize(leafCount_);
    for (int i = 0; i < leafCount_; ++i) {
        frequency_[i] = 1;
        child_[i] = static_cast<uint16_t>(i | kLeafBit);
        leaf_[i] = i;
    }
    for (int m = 0; leafCount_ + m < nodes; ++m) {
        const int node = leafCount_ + m;
        frequency_[node] = frequency_[2 * m] + frequency_[2 * m + 1];
        child_[node] = static_cast<uint16_t>(2 * m);
        parent_[2 * m] = parent_[2 * m + 1] = node;
    }
    parent_[Root()] = -1;
}

void AdaptiveHuffmanTree::Update(int symbol) {
    const int root = Root();
    if (frequency_[root] > kRebuildAbove) Rebuild();
    int c = leaf_[symbol];
    while (c != root) {
        const uint32_t k = ++frequency_[c];
        if (frequency_[c + 1] < k) {
            const int l = LastBelow(c + 2, k);
            Swap(c, l);
            c = l;
        }
        c = parent_[c];
    }
    ++frequency_[root];
}

// The last node before the first node at or after `from` whose count is at least `count`.
// The array is sorted, so a binary search finds the node a scan upwards would find; the
// root always qualifies as that first node.
int AdaptiveHuffmanTree::LastBelow(int from, uint32_t count) const {
    const auto first = frequency_.begin() + from;
    const auto end = frequency_.end();
    return static_cast<int>(std::lower_bound(first, end, count) - frequency_.begin()) - 1;
}

// Exchanges the counts and child entries of two places; the parents stay with the places.
void AdaptiveHuffmanTree::Swap(int a, int b) {
    std::swap(frequency_[a], frequency_[b]);
    std::swap(child_[a], child_[b]);
    Repoint(a);
    Repoint(b);
}

// Points the children (or the symbol) of a node's entry back at the node's place.
void AdaptiveHuffmanTree::Repoint(int node) {
    const uint16_t child = child_[node];
    if (child & kLeafBit) {
        leaf_[child & ~kLeafBit] = node;
        return;
    }
    parent_[child] = parent_[child + 1] = node;
}

void AdaptiveHuffmanTree::Move(int from, int to) {
    frequency_[to] = frequency_[from];
    child_[to] = child_[from];
    parent_[to] = parent_[from];
    Repoint(to);
}

// Rebuild works like a two-queue Huffman build inside the one array: `pair` walks the
// sorted nodes taking them two by two, `slot` places each new inner node on the first
// place that holds neither a leaf nor a paired node, and a new node then sinks below
// bigger nodes or lets smaller leaves from above pass it, so the array stays sorted.
void AdaptiveHuffmanTree::Rebuild() {
    const int root = Root();
    for (int node = 0; node <= root; ++node) {
        if (IsLeaf(node)) frequency_[node] = (frequency_[node] + 1) / 2;
        parent_[node] = kUnassigned;
    }
    int pair = 0;
    int slot = 0;
    int leavesLeft = leafCount_;
    for (;;) {
        const int a = FirstUnpaired(pair);
        if (a < 0) break;
        slot = NextFreeSlot(slot, leavesLeft);
        const uint32_t f = frequency_[a] + frequency_[a + 1];
        int place = slot++;
        // Sinking is part of the rule but is not known to happen when the array was
        // sorted before the rebuild; letting leaves pass is the common case.
        if (place > 0 && frequency_[place - 1] > f) {
            for (; place > 0 && frequency_[place - 1] > f; --place) Move(place - 1, place);
        } else {
            for (; leavesLeft > 0; ++place, ++slot, --leavesLeft) {
                const int leaf = NextLeafAbove(place);
                if (leaf < 0 || frequency_[leaf] >= f) break;
                Move(leaf, place);
                child_[leaf] = 0;  // no longer a leaf: a free place
            }
        }
        frequency_[place] = f;
        child_[place] = static_cast<uint16_t>(a);
        parent_[place] = kUnassigned;
        parent_[a] = parent_[a + 1] = place;
        pair = a + 2;
    }
    parent_[root] = -1;
}

int AdaptiveHuffmanTree::FirstUnpaired(int from) const {
    for (int node = from; node < Root(); ++node) {
        if (parent_[node] == kUnassigned) return node;
    }
    return -1;
}

// Steps over leaves (counting them off) and paired nodes to the next free place.
int AdaptiveHuffmanTree::NextFreeSlot(int from, int& leavesLeft) const {
    int node = from;
    for (; node < Root(); ++node) {
        if (IsLeaf(node)) {
            --leavesLeft;
        } else if (parent_[node] == kUnassigned) {
            break;
        }
    }
    return node;
}

int AdaptiveHuffmanTree::NextLeafAbove(int node) const {
    for (int next = node + 1; next < Root(); ++next) {
        if (IsLeaf(next)) return next;
    }
    return -1;
}

uint32_t AdaptiveHuffmanTree::Code(int symbol, int& length) const {
    const int root = Root();
    uint32_t code = 0;
    length = 0;
    for (int node = leaf_[symbol]; node != root; ++length) {
        const int parent = parent_[node];
        code = (code << 1) | static_cast<uint32_t>(node - child_[parent]);
        node = parent;
    }
    return code;
}
