// Utils::DoubleLinkList: an intrusive circular list of Utils::IDoubleLinkListNode objects
// (script threads, handlers, router nodes, compiled classes and functions, libraries). An
// embedded header node closes the ring and marks the end, so an empty list points at
// itself. The list never owns its nodes, and a node's destructor does not unlink it: an
// owner takes a node out (PopNode) before deleting it, because the list's destructor clears
// the links of every node still in it.
#pragma once

#include <cstdint>

namespace Utils {

class IDoubleLinkListNode {
  public:
    IDoubleLinkListNode() = default;
    virtual ~IDoubleLinkListNode() = default;
    IDoubleLinkListNode(const IDoubleLinkListNode&) = delete;
    IDoubleLinkListNode& operator=(const IDoubleLinkListNode&) = delete;

    IDoubleLinkListNode* Next() const { return next_; }
    IDoubleLinkListNode* Prev() const { return prev_; }

  private:
    friend class DoubleLinkList;
    IDoubleLinkListNode* next_ = nullptr;
    IDoubleLinkListNode* prev_ = nullptr;
};

class DoubleLinkList {
  public:
    DoubleLinkList() { header_.next_ = header_.prev_ = &header_; }
    virtual ~DoubleLinkList() { UnlinkAll(); }
    DoubleLinkList(const DoubleLinkList&) = delete;
    DoubleLinkList& operator=(const DoubleLinkList&) = delete;

    // The first node, or End() when empty.
    IDoubleLinkListNode* Begin() const { return header_.next_; }
    const IDoubleLinkListNode* End() const { return &header_; }
    uint32_t Count() const { return count_; }

    void PushFront(IDoubleLinkListNode* node) { LinkBetween(node, &header_, header_.next_); }
    void PushBack(IDoubleLinkListNode* node) { LinkBetween(node, header_.prev_, &header_); }

    // Unlinks the node at `position` (clearing its links), moves `position` to its
    // successor and returns it; null when `position` is the end.
    IDoubleLinkListNode* PopNode(IDoubleLinkListNode*& position) {
        IDoubleLinkListNode* node = position;
        if (node == &header_) return nullptr;
        node->prev_->next_ = node->next_;
        node->next_->prev_ = node->prev_;
        position = node->next_;
        node->next_ = node->prev_ = nullptr;
        --count_;
        return node;
    }

    // Clears every node's links and empties the list.
    void UnlinkAll() {
        for (IDoubleLinkListNode* node = header_.next_; node != &header_;) {
            IDoubleLinkListNode* next = node->next_;
            node->next_ = node->prev_ = nullptr;
            node = next;
        }
        header_.next_ = header_.prev_ = &header_;
        count_ = 0;
    }

  private:
    void LinkBetween(IDoubleLinkListNode* node, IDoubleLinkListNode* before, IDoubleLinkListNode* after) {
        node->prev_ = before;
        node->next_ = after;
        before->next_ = node;
        after->prev_ = node;
        ++count_;
    }

    uint32_t count_ = 0;
    IDoubleLinkListNode header_;
};

}  // namespace Utils
