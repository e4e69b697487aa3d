// IdentityIndex: a map from an identity (the address of an interned name or of a node; null
// is a key like any other) to the first entry holding it and the number of entries that do,
// for the child lists of large containers. One flat table of 16-byte cells with linear
// probing, kept at most half full: a lookup touches one or two cache lines and an insert
// allocates only when the table doubles. A cell is free while its count is 0.
#pragma once

#include <cstdint>
#include <vector>

class IdentityIndex {
  public:
    struct Holders {
        uint32_t first = 0;
        uint32_t count = 0;
    };

    // The holders of key, or null.
    Holders* Find(const void* key) {
        if (cells_.empty()) return nullptr;
        for (size_t at = Home(key);; at = Next(at)) {
            if (!Used(at)) return nullptr;
            if (cells_[at].key == key) return &cells_[at].holders;
        }
    }

    // One more entry holds key: counted, or recorded with slot as its first holder.
    void Add(const void* key, uint32_t slot) { Put(key, Holders{slot, 1}, true); }

    // Removes key; the cells after it that probed past it move back, so no lookup is cut
    // short by the hole.
    void Erase(const void* key) {
        if (cells_.empty()) return;
        size_t hole = Home(key);
        for (; Used(hole); hole = Next(hole))
            if (cells_[hole].key == key) break;
        if (!Used(hole)) return;
        for (size_t at = Next(hole); Used(at); at = Next(at)) {
            const size_t home = Home(cells_[at].key);
            // The cell may fill the hole when its home does not lie in (hole, at].
            const bool reachable = hole < at ? (home <= hole || home > at) : (home <= hole && home > at);
            if (!reachable) continue;
            cells_[hole] = cells_[at];
            hole = at;
        }
        cells_[hole] = Cell{};
        --used_;
    }

    void Clear() {
        cells_.clear();
        used_ = 0;
    }

  private:
    struct Cell {
        const void* key = nullptr;
        Holders holders;
    };

    bool Used(size_t at) const { return cells_[at].holders.count != 0; }

    // Counts one more holder of key when counting, else stores holders as they are.
    void Put(const void* key, Holders holders, bool counting) {
        if (counting) {
            if (Holders* found = Find(key)) {
                ++found->count;
                return;
            }
        }
        if (2 * (used_ + 1) > cells_.size()) Grow();
        size_t at = Home(key);
        while (Used(at))
            at = Next(at);
        cells_[at] = Cell{key, holders};
        ++used_;
    }

    // Keys are addresses, and a container's names and children are mostly allocated one
    // after another. Keys within one aligned 1 KiB of addresses share one scattering mask,
    // so they land in one 64-cell block of the table in their own order (neighbours share
    // cache lines, never a home); the blocks are scattered by a hash of their address.
    size_t Home(const void* key) const {
        const uint64_t bits = reinterpret_cast<uintptr_t>(key) >> 4;
        const uint64_t scatter = ((bits >> 6) * 0x9E3779B97F4A7C15ull) >> 32;
        return static_cast<size_t>(bits ^ (scatter << 6)) & (cells_.size() - 1);
    }
    size_t Next(size_t at) const { return (at + 1) & (cells_.size() - 1); }

    void Grow() {
        std::vector<Cell> old;
        old.swap(cells_);
        cells_.resize(old.empty() ? 32 : 2 * old.size());
        used_ = 0;
        for (const Cell& cell : old)
            if (cell.holders.count != 0) Put(cell.key, cell.holders, false);
    }

    std::vector<Cell> cells_; // a power of two in size, or empty
    size_t used_ = 0;
};
