// The slot table of a world list: item pointers in pages of 1024, slot i in page i >> 10 at
// position i & 1023, each page zero-filled when it is first needed. Reading a slot beyond
// the pages gives null.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class WorldListItem;

class WorldSlotPages {
  public:
    static constexpr int32_t kPageShift = 10;
    static constexpr int32_t kPageSize = 1 << kPageShift;

    WorldListItem* Get(int32_t slot) const {
        const size_t page = static_cast<size_t>(slot) >> kPageShift;
        if (slot < 0 || page >= pages_.size()) return nullptr;
        return pages_[page][slot & (kPageSize - 1)];
    }
    // Stores into a slot, making its page when needed (slot must not be negative).
    void Set(int32_t slot, WorldListItem* item) {
        const size_t page = static_cast<size_t>(slot) >> kPageShift;
        while (pages_.size() <= page)
            pages_.push_back(std::make_unique<WorldListItem*[]>(kPageSize));
        pages_[page][slot & (kPageSize - 1)] = item;
    }
    void Free() { pages_.clear(); }

  private:
    std::vector<std::unique_ptr<WorldListItem*[]>> pages_;
};
