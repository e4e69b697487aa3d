// InternTable: the set behind the interned strings, from text to the one node holding it.
// One flat array of slots with linear probing, kept at most half full; each slot holds the
// text's hash beside the node, so a lookup reads one slot and touches a node only when the
// hashes agree. A large table is read at random, one cache miss per lookup, where a chained
// set costs a bucket, a list node and the string node. The caller locks; the table never
// frees a node, it hands the ones it drops back to the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace Kiv {

template <class Node>
class InternTable {
  public:
    static size_t Hash(std::string_view text) { return std::hash<std::string_view>()(text); }

    // The node holding text (whose hash is hash), or null.
    Node* Find(std::string_view text, size_t hash) const {
        if (slots_.empty()) return nullptr;
        for (size_t at = hash & Mask();; at = (at + 1) & Mask()) {
            const Slot& slot = slots_[at];
            if (!slot.node) return nullptr;
            if (slot.hash == hash && slot.node->View() == text) return slot.node;
        }
    }

    // Adds a node whose text is not held yet.
    void Insert(Node* node, size_t hash) {
        if (2 * (used_ + 1) > slots_.size()) Resize(slots_.empty() ? 1024 : 2 * slots_.size());
        Place(node, hash);
        ++used_;
    }

    // Keeps the nodes for which keep(node) is true and hands every other one to drop, then
    // sizes the table for what is left.
    template <class Keep, class Drop>
    void Filter(Keep keep, Drop drop) {
        std::vector<Slot> old;
        old.swap(slots_);
        used_ = 0;
        for (const Slot& slot : old) {
            if (!slot.node) continue;
            if (keep(slot.node)) {
                old[used_++] = slot;
            } else {
                drop(slot.node);
            }
        }
        const size_t kept = used_;
        used_ = 0;
        if (kept == 0) return;
        size_t size = 1024;
        while (size < 2 * kept) size *= 2;
        slots_.assign(size, Slot{});
        for (size_t i = 0; i < kept; ++i) Insert(old[i].node, old[i].hash);
    }

    size_t Count() const { return used_; }

  private:
    struct Slot {
        size_t hash = 0;
        Node* node = nullptr;
    };

    size_t Mask() const { return slots_.size() - 1; }

    void Place(Node* node, size_t hash) {
        size_t at = hash & Mask();
        while (slots_[at].node) at = (at + 1) & Mask();
        slots_[at] = Slot{hash, node};
    }

    void Resize(size_t size) {
        std::vector<Slot> old(size);
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.node) Place(slot.node, slot.hash);
    }

    std::vector<Slot> slots_; // a power of two in size, or empty
    size_t used_ = 0;
};

} // namespace Kiv
