// WorldTileIndex: the spatial index a world list may keep, a map from world tiles to the
// items whose bounds touch them. A tile key holds the first tile number in its low 16 bits
// and the second in its high 16 bits; the map and each tile's set are ordered (keys, item
// pointers), so walks are deterministic.
#pragma once

#include <cstdint>
#include <map>
#include <set>

class WorldListItem;

class WorldTileIndex {
  public:
    using ItemSet = std::set<WorldListItem*>;
    using TileMap = std::map<uint32_t, ItemSet>;

    static uint32_t TileKey(int16_t first, int16_t second) {
        return static_cast<uint16_t>(first) | static_cast<uint32_t>(static_cast<uint16_t>(second)) << 16;
    }

    // Enters the item in every tile its normalised bounds cover, both ends included.
    void Insert(WorldListItem* item);
    // Takes the item out of every tile set; sets left empty leave the map.
    void Remove(WorldListItem* item);
    void Clear() { tiles_.clear(); }
    // The tile's set, made empty when the tile has none.
    ItemSet& GetTileSet(uint32_t key) { return tiles_[key]; }

    const TileMap& Tiles() const { return tiles_; }

  private:
    TileMap tiles_;
};
