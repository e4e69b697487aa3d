// The adaptive tree's set-up, update (count, then swap with the last node of the same
// count) and in-place rebuild. Encoder and decoder run exactly this code, so any change
// here changes the stream format.
#include "foundation/lzss/adaptive_huffman_tree.h"

#include <algorithm>

AdaptiveHuffmanTree::AdaptiveHuffmanTree(int symbolCount)
    : symbolCount_(symbolCount),
      leafCount_((symbolCount + 1) & ~1),
      nodeCount_(2 * leafCount_ - 1) {
    const int nodes = nodeCount_;
    nodes_.assign(nodes + kScanGroup - 1, Node{UINT32_MAX, -1, 0});
    leaf_.resize(leafCount_);
    for (int i = 0; i < leafCount_; ++i) {
        nodes_[i].frequency = 1;
        nodes_[i].child = static_cast<uint16_t>(i | kLeafBit);
        leaf_[i] = i;
    }
    for (int m = 0; leafCount_ + m < nodes; ++m) {
        const int node = leafCount_ + m;
        nodes_[node].frequency = nodes_[2 * m].frequency + nodes_[2 * m + 1].frequency;
        nodes_[node].child = static_cast<uint16_t>(2 * m);
        nodes_[2 * m].parent = nodes_[2 * m + 1].parent = static_cast<int16_t>(node);
    }
    nodes_[Root()].parent = -1;
}

void AdaptiveHuffmanTree::Update(int symbol) {
    if (nodes_[Root()].frequency > kRebuildAbove) Rebuild();
    Climb(leaf_[symbol]);
}

// The last node before the first node at or after `from` whose count is at least `count`.
// The array is sorted, so counting the nodes below `count` in a group of eight finds the
// node a scan upwards would find, without a branch per node; the root always qualifies,
// and the padding after it keeps the last group inside the array.
inline int AdaptiveHuffmanTree::LastBelow(int from, uint32_t count) const {
    const Node* group = nodes_.data() + from;
    for (;; group += kScanGroup) {
        int below = 0;
        for (int i = 0; i < kScanGroup; ++i) below += group[i].frequency < count;
        if (below < kScanGroup) return static_cast<int>(group - nodes_.data()) + below - 1;
    }
}

// Points the children (or the symbol) of a node's entry back at the node's place.
inline void AdaptiveHuffmanTree::Repoint(int node) {
    const uint16_t child = nodes_[node].child;
    if (child & kLeafBit) {
        leaf_[child & ~kLeafBit] = node;
        return;
    }
    nodes_[child].parent = nodes_[child + 1].parent = static_cast<int16_t>(node);
}

// Exchanges the counts and child entries of two places; the parents stay with the places.
inline void AdaptiveHuffmanTree::Swap(int a, int b) {
    std::swap(nodes_[a].frequency, nodes_[b].frequency);
    std::swap(nodes_[a].child, nodes_[b].child);
    Repoint(a);
    Repoint(b);
}

// Node c, just counted up to `count`, passed the next node: it changes place with the
// last node of its old count, and the climb goes on from there with parent lookups.
void AdaptiveHuffmanTree::SwapAndClimb(int c, uint32_t count) {
    const int l = LastBelow(c + 2, count);
    Swap(c, l);
    Climb(nodes_[l].parent);
}

// Counts node c and its ancestors: each one whose new count passes the next node's
// changes place with the last node of its old count, and the climb goes on from there.
void AdaptiveHuffmanTree::Climb(int c) {
    Node* const nodes = nodes_.data();
    const int root = Root();
    while (c != root) {
        const uint32_t k = ++nodes[c].frequency;
        if (nodes[c + 1].frequency < k) {
            const int l = LastBelow(c + 2, k);
            Swap(c, l);
            c = l;
        }
        c = nodes[c].parent;
    }
    ++nodes[root].frequency;
}

void AdaptiveHuffmanTree::Move(int from, int to) {
    nodes_[to] = nodes_[from];
    Repoint(to);
}

// Rebuild works like a two-queue Huffman build inside the one array: `pair` walks the
// sorted nodes taking them two by two, `slot` places each new inner node on the first
// place that holds neither a leaf nor a paired node, and a new node then sinks below
// bigger nodes or lets smaller leaves from above pass it, so the array stays sorted.
void AdaptiveHuffmanTree::Rebuild() {
    const int root = Root();
    for (int node = 0; node <= root; ++node) {
        if (IsLeaf(node)) nodes_[node].frequency = (nodes_[node].frequency + 1) / 2;
        nodes_[node].parent = kUnassigned;
    }
    int pair = 0;
    int slot = 0;
    int leavesLeft = leafCount_;
    for (;;) {
        const int a = FirstUnpaired(pair);
        if (a < 0) break;
        slot = NextFreeSlot(slot, leavesLeft);
        const uint32_t f = nodes_[a].frequency + nodes_[a + 1].frequency;
        int place = slot++;
        // Sinking is part of the rule but is not known to happen when the array was
        // sorted before the rebuild; letting leaves pass is the common case.
        if (place > 0 && nodes_[place - 1].frequency > f) {
            for (; place > 0 && nodes_[place - 1].frequency > f; --place) Move(place - 1, place);
        } else {
            for (; leavesLeft > 0; ++place, ++slot, --leavesLeft) {
                const int leaf = NextLeafAbove(place);
                if (leaf < 0 || nodes_[leaf].frequency >= f) break;
                Move(leaf, place);
                nodes_[leaf].child = 0;  // no longer a leaf: a free place
            }
        }
        nodes_[place] = {f, kUnassigned, static_cast<uint16_t>(a)};
        nodes_[a].parent = nodes_[a + 1].parent = static_cast<int16_t>(place);
        pair = a + 2;
    }
    nodes_[root].parent = -1;
}

int AdaptiveHuffmanTree::FirstUnpaired(int from) const {
    for (int node = from; node < Root(); ++node) {
        if (nodes_[node].parent == kUnassigned) return node;
    }
    return -1;
}

// Steps over leaves (counting them off) and paired nodes to the next free place.
int AdaptiveHuffmanTree::NextFreeSlot(int from, int& leavesLeft) const {
    int node = from;
    for (; node < Root(); ++node) {
        if (IsLeaf(node)) {
            --leavesLeft;
        } else if (nodes_[node].parent == kUnassigned) {
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
        const int parent = nodes_[node].parent;
        code = (code << 1) | static_cast<uint32_t>(node - nodes_[parent].child);
        node = parent;
    }
    return code;
}
