// BlockArray<T, N>: the program's list of choice. A ring of fixed-size blocks of N typed
// slots each; an item never moves once stored, except when an erase shifts it inside its
// own block. Slots are value-initialised when a block is made (so KUID blocks fill with the
// null KUID, pointer blocks with null) and an erased slot is reset to that value, which
// releases whatever the item held. No block is ever kept empty. Nothing here locks: each
// owner guards its list.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "engine/alloc.h"

template <class T, int N> class BlockArray {
    static_assert(N > 0, "a block holds at least one item");

    struct Block {
        Block* next = nullptr;
        Block* prev = nullptr;
        int32_t count = 0; // slots 0 .. count - 1 are in use, without holes
        T slots[N]{};
    };

  public:
    // A position: the item, the array's first block and the current block. A null item is
    // the end position.
    template <bool Const> class IteratorT {
        using Item = std::conditional_t<Const, const T, T>;

      public:
        IteratorT() = default;
        // A mutable iterator converts to a read-only one.
        template <bool C = Const, class = std::enable_if_t<C>>
        IteratorT(const IteratorT<false>& other)
            : item_(other.item_), first_(other.first_), block_(other.block_) {}

        bool IsEnd() const { return item_ == nullptr; }
        Item& operator*() const { return *item_; }
        Item* operator->() const { return item_; }
        bool operator==(const IteratorT& other) const { return item_ == other.item_; }
        // Slot index of the item inside its block.
        int32_t Slot() const { return static_cast<int32_t>(item_ - block_->slots); }

        // Next slot; past the block's last item the next block; past the last block the end.
        void Increment() {
            if (IsEnd()) return;
            if (Slot() + 1 < block_->count) {
                ++item_;
                return;
            }
            EnterBlock(block_->next, 0);
        }

        // Forward by n items (back for negative n); running off either end gives the end.
        void Advance(int32_t n) {
            if (n < 0) return Backward(-static_cast<int64_t>(n));
            Forward(n);
        }

        // Back by n items through previous blocks; from the end it starts at the last item.
        // Going before the first item gives the end.
        void Retreat(int32_t n) {
            if (n < 0) return Forward(-static_cast<int64_t>(n));
            Backward(n);
        }

        IteratorT& operator++() {
            Increment();
            return *this;
        }

      private:
        friend class BlockArray;
        template <bool> friend class IteratorT;

        IteratorT(Item* item, Block* first, Block* block)
            : item_(item), first_(first), block_(block) {}

        void Forward(int64_t n) {
            if (IsEnd()) return;
            int64_t position = Slot() + n;
            Block* block = block_;
            while (position >= block->count) {
                position -= block->count;
                block = block->next;
                if (block == first_) return SetEnd();
            }
            Place(block, position);
        }

        void Backward(int64_t n) {
            Block* block = block_;
            int64_t position;
            if (IsEnd()) {
                if (!first_) return;
                block = first_->prev;
                position = block->count - n;
            } else {
                position = Slot() - n;
            }
            while (position < 0) {
                if (block == first_) return SetEnd();
                block = block->prev;
                position += block->count;
            }
            Place(block, position);
        }

        void SetEnd() {
            item_ = nullptr;
            block_ = nullptr;
        }
        void Place(Block* block, int64_t position) {
            block_ = block;
            item_ = &block->slots[position];
        }
        // Slot `position` of block, or the end when block is the first block again.
        void EnterBlock(Block* block, int32_t position) {
            if (block == first_) return SetEnd();
            Place(block, position);
        }

        Item* item_ = nullptr;
        Block* first_ = nullptr;
        Block* block_ = nullptr;
    };

    using Iterator = IteratorT<false>;
    using ConstIterator = IteratorT<true>;

    BlockArray() = default;
    BlockArray(const BlockArray& other) { AppendAll(other); }
    BlockArray(BlockArray&& other) noexcept : first_(std::exchange(other.first_, nullptr)) {}
    BlockArray& operator=(const BlockArray& other) {
        if (this != &other) {
            Clear();
            AppendAll(other);
        }
        return *this;
    }
    BlockArray& operator=(BlockArray&& other) noexcept {
        if (this != &other) {
            Clear();
            first_ = std::exchange(other.first_, nullptr);
        }
        return *this;
    }
    ~BlockArray() { Clear(); }

    bool IsEmpty() const { return first_ == nullptr; }

    Iterator Begin() { return first_ ? Iterator(first_->slots, first_, first_) : End(); }
    Iterator End() { return Iterator(nullptr, first_, nullptr); }
    ConstIterator Begin() const {
        return first_ ? ConstIterator(first_->slots, first_, first_) : End();
    }
    ConstIterator End() const { return ConstIterator(nullptr, first_, nullptr); }
    Iterator begin() { return Begin(); }
    Iterator end() { return End(); }
    ConstIterator begin() const { return Begin(); }
    ConstIterator end() const { return End(); }

    // Appends at the end; returns the slot index the item took inside its block.
    int32_t PushBack(T item) {
        Block* last = first_ ? first_->prev : nullptr;
        if (!last || last->count == N) last = LinkNewBlock();
        return Store(last, std::move(item));
    }

    // Appends into the first block, from the first block forwards, that has room; a new
    // block goes at the end only when every block is full. Order is not kept: this is for
    // sets such as the holders of a lock. Returns the slot index the item took.
    int32_t PushBackFirstFit(T item) {
        Block* block = first_;
        if (block) {
            do {
                if (block->count < N) return Store(block, std::move(item));
                block = block->next;
            } while (block != first_);
        }
        return Store(LinkNewBlock(), std::move(item));
    }

    // Erases the item at `at`, moving the later items of its block down one slot. Returns
    // the position of the item that now follows. The end position erases nothing.
    Iterator Erase(Iterator at) {
        if (at.IsEnd()) return End();
        Block* block = at.block_;
        for (int32_t i = at.Slot() + 1; i < block->count; ++i)
            block->slots[i - 1] = std::move(block->slots[i]);
        return DropLastSlot(block, at.Slot());
    }

    // Erases the item at `at` by moving its block's last item into the slot.
    Iterator EraseUnordered(Iterator at) {
        if (at.IsEnd()) return End();
        Block* block = at.block_;
        int32_t last = block->count - 1;
        if (at.Slot() != last) block->slots[at.Slot()] = std::move(block->slots[last]);
        return DropLastSlot(block, at.Slot());
    }

    Iterator EraseFirst() { return Erase(Begin()); }

    int32_t Count() const {
        int32_t total = 0;
        ForEachBlock([&total](const Block* block) { total += block->count; });
        return total;
    }

    // The n-th item, or the end when n is out of range.
    Iterator At(int32_t n) {
        Iterator at = Begin();
        at.Advance(n);
        return at;
    }
    ConstIterator At(int32_t n) const {
        ConstIterator at = Begin();
        at.Advance(n);
        return at;
    }

    // The first item equal to value, or the end.
    Iterator Find(const T& value) {
        return FindIf([&value](const T& item) { return item == value; });
    }
    ConstIterator Find(const T& value) const {
        return FindIf([&value](const T& item) { return item == value; });
    }

    // The first item for which match(item) holds, or the end.
    template <class Match> Iterator FindIf(Match match) {
        for (Iterator at = Begin(); !at.IsEnd(); at.Increment())
            if (match(*at)) return at;
        return End();
    }
    template <class Match> ConstIterator FindIf(Match match) const {
        for (ConstIterator at = Begin(); !at.IsEnd(); at.Increment())
            if (match(*at)) return at;
        return End();
    }

    // Empties the array first, then destroys the items and frees the blocks in ring order,
    // so an item's destructor that looks at the array finds it empty.
    void Clear() {
        Block* first = std::exchange(first_, nullptr);
        if (!first) return;
        first->prev->next = nullptr;
        while (first)
            Kiv::Alloc::Delete(std::exchange(first, first->next));
    }

    // For lists of owned pointers: deletes every pointee, then clears the list.
    void DeleteAll() requires std::is_pointer_v<T> {
        for (T item : *this)
            Kiv::Alloc::Delete(item);
        Clear();
    }

    // Appends a copy of every block of other as a new block with the same count. Copying an
    // item takes whatever reference its type holds.
    void AppendAll(const BlockArray& other) {
        int32_t blocks = 0;
        other.ForEachBlock([&blocks](const Block*) { ++blocks; });
        const Block* source = other.first_;
        for (int32_t b = 0; b < blocks; ++b, source = source->next) {
            Block* copy = LinkNewBlock();
            for (int32_t i = 0; i < source->count; ++i)
                copy->slots[i] = source->slots[i];
            copy->count = source->count;
        }
    }

  private:
    template <class Visit> void ForEachBlock(Visit visit) const {
        const Block* block = first_;
        if (!block) return;
        do {
            visit(block);
            block = block->next;
        } while (block != first_);
    }

    // Links a new block between the last block and the first (or as the only block).
    Block* LinkNewBlock() {
        Block* block = Kiv::Alloc::New<Block>();
        if (!first_) {
            block->next = block->prev = block;
            first_ = block;
            return block;
        }
        Block* last = first_->prev;
        block->prev = last;
        block->next = first_;
        last->next = block;
        first_->prev = block;
        return block;
    }

    int32_t Store(Block* block, T&& item) {
        int32_t slot = block->count;
        block->slots[slot] = std::move(item);
        block->count = slot + 1;
        return slot;
    }

    // The block's last used slot has been vacated (its item moved or erased): reset it,
    // drop the count, free the block when it is empty, and return the position that
    // follows the erased one at `slot`.
    Iterator DropLastSlot(Block* block, int32_t slot) {
        int32_t last = block->count - 1;
        block->slots[last] = T{};
        block->count = last;
        if (slot < block->count) return Iterator(&block->slots[slot], first_, block);
        Block* next = block->next;
        bool wrapped = next == first_;
        if (block->count == 0) Unlink(block);
        if (wrapped) return End();
        return Iterator(next->slots, first_, next);
    }

    void Unlink(Block* block) {
        if (block->next == block) {
            first_ = nullptr;
        } else {
            block->prev->next = block->next;
            block->next->prev = block->prev;
            if (first_ == block) first_ = block->next;
        }
        Kiv::Alloc::Delete(block);
    }

    Block* first_ = nullptr;
};
