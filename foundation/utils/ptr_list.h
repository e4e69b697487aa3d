// Utils::PtrList: a circular list of pointers held in nodes of its own (the compiler's
// include search list). A sentinel node closes the ring. Clear frees the nodes and leaves
// the values to their owner; ClearDeletingValues deletes them too.
#pragma once

#include <cstdint>

#include "engine/alloc.h"
#include "foundation/utils/raw_memory.h"

namespace Utils {

class PtrList {
  public:
    struct Node {
        void* value;
        Node* prev;
        Node* next;
    };

    PtrList() { sentinel_ = {nullptr, &sentinel_, &sentinel_}; }
    ~PtrList() { Clear(); }
    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;

    const Node* Begin() const { return sentinel_.next; }
    const Node* End() const { return &sentinel_; }
    uint32_t Count() const { return count_; }

    // Links a new node before the sentinel; false when the node cannot be had.
    bool PushBack(void* value) { return LinkBefore(&sentinel_, value); }
    // Links a new node after the sentinel; false when the node cannot be had.
    bool PushFront(void* value) { return LinkBefore(sentinel_.next, value); }

    void Clear() {
        UnlinkAll([](void*) {});
    }
    template <class V> void ClearDeletingValues() {
        UnlinkAll([](void* value) { Kiv::Alloc::Delete(static_cast<V*>(value)); });
    }

  private:
    bool LinkBefore(Node* at, void* value) {
        auto* node = static_cast<Node*>(AllocRaw(sizeof(Node)));
        if (!node) return false;
        *node = {value, at->prev, at};
        at->prev->next = node;
        at->prev = node;
        ++count_;
        return true;
    }

    template <class Dispose> void UnlinkAll(Dispose dispose) {
        for (Node* node = sentinel_.next; node != &sentinel_;) {
            Node* next = node->next;
            dispose(node->value);
            FreeRaw(node);
            node = next;
        }
        sentinel_ = {nullptr, &sentinel_, &sentinel_};
        count_ = 0;
    }

    uint32_t count_ = 0;
    Node sentinel_;
};

}  // namespace Utils
