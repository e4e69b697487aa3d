// Safe pointers: a pointer that its target clears when the target goes (or detaches every
// pointer at it on purpose). The target keeps an intrusive list of the nodes that point at
// it; a node unlinks itself when it is retargeted or destroyed. Asset specs are the
// targets here: a spec detaches its pointers before it is purged and when it is deleted.
// Not thread-safe: pointers and their target are used on one thread at a time.
#pragma once

template <typename T> class SafePointerTarget;

// One link of a target's list: {next, previous, target}.
struct SafePointerNode {
    SafePointerNode* next = nullptr;
    SafePointerNode* previous = nullptr;
    void* target = nullptr;
};

template <typename T> class SafePointerTarget {
  public:
    SafePointerTarget() = default;
    SafePointerTarget(const SafePointerTarget&) = delete;
    SafePointerTarget& operator=(const SafePointerTarget&) = delete;
    ~SafePointerTarget() { DetachAll(); }

    // Every pointer at this target becomes null and leaves the list.
    void DetachAll() {
        while (head_ != nullptr) Unlink(*head_);
    }
    bool HasSafePointers() const { return head_ != nullptr; }

    void Link(SafePointerNode& node) {
        node.target = this;
        node.previous = nullptr;
        node.next = head_;
        if (head_ != nullptr) head_->previous = &node;
        head_ = &node;
    }
    void Unlink(SafePointerNode& node) {
        if (node.previous != nullptr) node.previous->next = node.next;
        else head_ = node.next;
        if (node.next != nullptr) node.next->previous = node.previous;
        node = SafePointerNode{};
    }

  private:
    SafePointerNode* head_ = nullptr;
};

// A pointer to a T (which derives from SafePointerTarget<T>) that reads null once the
// target detached it.
template <typename T> class SafePointer {
  public:
    SafePointer() = default;
    explicit SafePointer(T* target) { Set(target); }
    SafePointer(const SafePointer& other) { Set(other.Get()); }
    SafePointer& operator=(const SafePointer& other) {
        Set(other.Get());
        return *this;
    }
    ~SafePointer() { Set(nullptr); }

    void Set(T* target) {
        if (T* old = Get()) old->SafePointerTarget<T>::Unlink(node_);
        if (target != nullptr) target->SafePointerTarget<T>::Link(node_);
    }
    T* Get() const {
        return node_.target == nullptr
                   ? nullptr
                   : static_cast<T*>(static_cast<SafePointerTarget<T>*>(node_.target));
    }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }

  private:
    SafePointerNode node_;
};
