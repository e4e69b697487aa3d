// Utils::GSIAVLTree: recursive insertion and removal with the standard rotations, and the
// explicit-stack iterator. Balances are kept as 0/1/2; the arithmetic below works on the
// height difference (right minus left), which is the balance minus one.
#include "foundation/utils/avl_tree.h"

#include <algorithm>

namespace Utils {

namespace {

int32_t Tilt(const GSIAVLNode* node) { return node->Balance() - 1; }

}  // namespace

bool GSIAVLTree::Insert(GSIAVLNode* node) {
    bool duplicate = false;
    InsertAt(root_, node, duplicate);
    if (duplicate) return false;
    ++count_;
    return true;
}

// Returns whether the subtree at `slot` grew.
bool GSIAVLTree::InsertAt(GSIAVLNode*& slot, GSIAVLNode* node, bool& duplicate) {
    if (!slot) {
        node->balance_ = 1;
        node->left_ = nullptr;
        node->right_ = nullptr;
        slot = node;
        return true;
    }
    const int32_t order = node->Compare(*slot);
    if (order == 0) {
        duplicate = true;
        return false;
    }
    if (order < 0) return InsertAt(slot->left_, node, duplicate) && LeftGrew(slot);
    return InsertAt(slot->right_, node, duplicate) && RightGrew(slot);
}

GSIAVLNode* GSIAVLTree::Find(const GSIAVLNode& query) const {
    GSIAVLNode* node = root_;
    while (node) {
        const int32_t order = node->Compare(query);
        if (order == 0) return node;
        node = order < 0 ? node->right_ : node->left_;
    }
    return nullptr;
}

GSIAVLNode* GSIAVLTree::Remove(const GSIAVLNode& query) {
    bool shrunk = false;
    GSIAVLNode* removed = RemoveAt(root_, query, shrunk);
    if (!removed) return nullptr;
    --count_;
    removed->balance_ = 1;
    removed->left_ = nullptr;
    removed->right_ = nullptr;
    return removed;
}

GSIAVLNode* GSIAVLTree::RemoveAt(GSIAVLNode*& slot, const GSIAVLNode& query, bool& shrunk) {
    if (!slot) return nullptr;
    const int32_t order = query.Compare(*slot);
    GSIAVLNode* removed = nullptr;
    if (order < 0) {
        removed = RemoveAt(slot->left_, query, shrunk);
        if (shrunk) shrunk = LeftShrank(slot);
    } else if (order > 0) {
        removed = RemoveAt(slot->right_, query, shrunk);
        if (shrunk) shrunk = RightShrank(slot);
    } else {
        removed = slot;
        slot = TakeReplacement(removed, shrunk);
    }
    return removed;
}

// The node that takes `removed`'s place: the largest of its left subtree, else the smallest
// of its right subtree, else none. The replacement takes over the children and balance.
GSIAVLNode* GSIAVLTree::TakeReplacement(GSIAVLNode* removed, bool& shrunk) {
    GSIAVLNode* replacement = nullptr;
    const bool fromLeft = removed->left_ != nullptr;
    if (fromLeft)
        replacement = RemoveLargest(removed->left_, shrunk);
    else if (removed->right_)
        replacement = RemoveSmallest(removed->right_, shrunk);
    if (!replacement) {
        shrunk = true;
        return nullptr;
    }
    replacement->left_ = removed->left_;
    replacement->right_ = removed->right_;
    replacement->balance_ = removed->balance_;
    if (shrunk) shrunk = fromLeft ? LeftShrank(replacement) : RightShrank(replacement);
    return replacement;
}

GSIAVLNode* GSIAVLTree::RemoveLargest(GSIAVLNode*& slot, bool& shrunk) {
    if (slot->right_) {
        GSIAVLNode* largest = RemoveLargest(slot->right_, shrunk);
        if (shrunk) shrunk = RightShrank(slot);
        return largest;
    }
    GSIAVLNode* largest = slot;
    slot = largest->left_;
    shrunk = true;
    return largest;
}

GSIAVLNode* GSIAVLTree::RemoveSmallest(GSIAVLNode*& slot, bool& shrunk) {
    if (slot->left_) {
        GSIAVLNode* smallest = RemoveSmallest(slot->left_, shrunk);
        if (shrunk) shrunk = LeftShrank(slot);
        return smallest;
    }
    GSIAVLNode* smallest = slot;
    slot = smallest->right_;
    shrunk = true;
    return smallest;
}

// Returns whether the subtree is still taller after its left side grew.
bool GSIAVLTree::LeftGrew(GSIAVLNode*& slot) {
    const int32_t tilt = Tilt(slot) - 1;
    slot->balance_ = tilt + 1;
    if (tilt == -2) Rebalance(slot);
    return tilt == -1;
}

bool GSIAVLTree::RightGrew(GSIAVLNode*& slot) {
    const int32_t tilt = Tilt(slot) + 1;
    slot->balance_ = tilt + 1;
    if (tilt == 2) Rebalance(slot);
    return tilt == 1;
}

// Returns whether the subtree's height fell after its left side shrank.
bool GSIAVLTree::LeftShrank(GSIAVLNode*& slot) {
    const int32_t tilt = Tilt(slot) + 1;
    slot->balance_ = tilt + 1;
    if (tilt != 2) return tilt == 0;
    const bool rightWasLevel = Tilt(slot->right_) == 0;
    Rebalance(slot);
    return !rightWasLevel;
}

bool GSIAVLTree::RightShrank(GSIAVLNode*& slot) {
    const int32_t tilt = Tilt(slot) - 1;
    slot->balance_ = tilt + 1;
    if (tilt != -2) return tilt == 0;
    const bool leftWasLevel = Tilt(slot->left_) == 0;
    Rebalance(slot);
    return !leftWasLevel;
}

// A node two levels out of balance: a single rotation, or a double one when the taller
// child leans the other way.
void GSIAVLTree::Rebalance(GSIAVLNode*& slot) {
    if (Tilt(slot) < 0) {
        if (Tilt(slot->left_) > 0) RotateLeft(slot->left_);
        RotateRight(slot);
    } else {
        if (Tilt(slot->right_) < 0) RotateRight(slot->right_);
        RotateLeft(slot);
    }
}

void GSIAVLTree::RotateLeft(GSIAVLNode*& slot) {
    GSIAVLNode* top = slot;
    GSIAVLNode* child = top->right_;
    top->right_ = child->left_;
    child->left_ = top;
    const int32_t topTilt = Tilt(top) - 1 - std::max(Tilt(child), 0);
    const int32_t childTilt = Tilt(child) - 1 + std::min(topTilt, 0);
    top->balance_ = topTilt + 1;
    child->balance_ = childTilt + 1;
    slot = child;
}

void GSIAVLTree::RotateRight(GSIAVLNode*& slot) {
    GSIAVLNode* top = slot;
    GSIAVLNode* child = top->left_;
    top->left_ = child->right_;
    child->right_ = top;
    const int32_t topTilt = Tilt(top) + 1 - std::min(Tilt(child), 0);
    const int32_t childTilt = Tilt(child) + 1 + std::max(topTilt, 0);
    top->balance_ = topTilt + 1;
    child->balance_ = childTilt + 1;
    slot = child;
}

void GSIAVLTree::BeginIteration(Iterator& it) const {
    it.mode_ = 1;
    it.Clear();
    if (root_ && it.Push(root_, 0)) it.Next();
}

bool GSIAVLTree::Iterator::Push(GSIAVLNode* node, uint32_t state) {
    if (top_ == kStackSize) return false;
    stack_[top_++] = {node, state};
    return true;
}

bool GSIAVLTree::Iterator::PushLeftChain(GSIAVLNode* node) {
    for (; node; node = node->left_) {
        if (!Push(node, 1)) return false;
    }
    return true;
}

// A tree too tall for the stack ends the walk rather than writing past it.
bool GSIAVLTree::Iterator::Next() {
    if (mode_ != 1) return top_ > 0;
    while (top_ > 0) {
        const Entry entry = Pop();
        bool pushed = true;
        if (entry.state == 0) {
            pushed = PushLeftChain(entry.node);
        } else if (entry.state == 1) {
            Push(entry.node, 2);
            return true;
        } else if (entry.state == 2 && entry.node->right_) {
            pushed = Push(entry.node, 3) && PushLeftChain(entry.node->right_);
        }
        if (!pushed) {
            Clear();
            return false;
        }
    }
    return false;
}

}  // namespace Utils
