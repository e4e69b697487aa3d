// Utils::GSIAVLTree: an intrusive AVL tree of Utils::GSIAVLNode objects (the router's
// subscriptions), ordered by the nodes' Compare and refusing a node equal to one it holds.
// Its iterator walks in key order with a fixed 32-entry stack of (node, state) and no
// recursion; 32 entries cover every AVL tree of height up to 32 (over nine million nodes).
// The tree never owns or frees its nodes.
#pragma once

#include <cstdint>

namespace Utils {

class GSIAVLNode {
  public:
    virtual ~GSIAVLNode() = default;
    // Negative, zero or positive as this node sorts before, equal to or after the other.
    virtual int32_t Compare(const GSIAVLNode& other) const = 0;

    // 0: left subtree one level taller, 1: balanced, 2: right subtree one level taller.
    int32_t Balance() const { return balance_; }
    GSIAVLNode* Left() const { return left_; }
    GSIAVLNode* Right() const { return right_; }

  private:
    friend class GSIAVLTree;
    int32_t balance_ = 1;
    GSIAVLNode* left_ = nullptr;
    GSIAVLNode* right_ = nullptr;
};

class GSIAVLTree {
  public:
    class Iterator {
      public:
        static constexpr uint32_t kStackSize = 32;

        // True while a node is current.
        bool Next();
        // The current node, or null.
        GSIAVLNode* Current() const { return top_ > 0 ? stack_[top_ - 1].node : nullptr; }

      private:
        friend class GSIAVLTree;
        struct Entry {
            GSIAVLNode* node;
            uint32_t state;  // 0 not entered, 1 left side done, 2 visited, 3 right side under way
        };

        bool Push(GSIAVLNode* node, uint32_t state);
        Entry Pop() { return stack_[--top_]; }
        void Clear() { top_ = 0; }
        bool PushLeftChain(GSIAVLNode* node);

        Entry stack_[kStackSize] = {};
        uint32_t top_ = 0;
        uint32_t mode_ = 0;
    };

    GSIAVLTree() = default;
    virtual ~GSIAVLTree() = default;
    GSIAVLTree(const GSIAVLTree&) = delete;
    GSIAVLTree& operator=(const GSIAVLTree&) = delete;

    // False, with the tree unchanged, when a node comparing equal is in the tree.
    bool Insert(GSIAVLNode* node);
    // The node comparing equal to `query`, or null.
    GSIAVLNode* Find(const GSIAVLNode& query) const;
    // The tree's node comparing equal to `query`, unlinked (balanced, no children), or null.
    GSIAVLNode* Remove(const GSIAVLNode& query);
    // Starts `it` on the smallest node (none for an empty tree).
    void BeginIteration(Iterator& it) const;

    GSIAVLNode* Root() const { return root_; }
    uint32_t Count() const { return count_; }

  private:
    static bool InsertAt(GSIAVLNode*& slot, GSIAVLNode* node, bool& duplicate);
    static GSIAVLNode* RemoveAt(GSIAVLNode*& slot, const GSIAVLNode& query, bool& shrunk);
    static GSIAVLNode* TakeReplacement(GSIAVLNode* removed, bool& shrunk);
    static GSIAVLNode* RemoveLargest(GSIAVLNode*& slot, bool& shrunk);
    static GSIAVLNode* RemoveSmallest(GSIAVLNode*& slot, bool& shrunk);
    static bool LeftGrew(GSIAVLNode*& slot);
    static bool RightGrew(GSIAVLNode*& slot);
    static bool LeftShrank(GSIAVLNode*& slot);
    static bool RightShrank(GSIAVLNode*& slot);
    static void Rebalance(GSIAVLNode*& slot);
    static void RotateLeft(GSIAVLNode*& slot);
    static void RotateRight(GSIAVLNode*& slot);

    GSIAVLNode* root_ = nullptr;
    uint32_t count_ = 0;
};

}  // namespace Utils
