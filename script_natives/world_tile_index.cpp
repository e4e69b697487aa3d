// The tile index: insertion over the normalised corners of an item's bounds, removal by a
// walk of every tile. Tile loops count in int, so a range ending at tile 32767 ends.
#include "script_natives/world_tile_index.h"

#include <iterator>

#include "script_natives/world_items.h"
#include "script_natives/world_position.h"

void WorldTileIndex::Insert(WorldListItem* item) {
    if (!item) return;
    WorldBounds bounds;
    item->GetBounds(bounds);
    WorldPosition low = bounds.GetMinCorner();
    WorldPosition high = bounds.GetMaxCorner();
    NormaliseWorldPosition(low);
    NormaliseWorldPosition(high);
    for (int second = low.tile[1]; second <= high.tile[1]; ++second)
        for (int first = low.tile[0]; first <= high.tile[0]; ++first)
            GetTileSet(TileKey(static_cast<int16_t>(first), static_cast<int16_t>(second))).insert(item);
}

void WorldTileIndex::Remove(WorldListItem* item) {
    if (!item) return;
    for (auto tile = tiles_.begin(); tile != tiles_.end();) {
        tile->second.erase(item);
        tile = tile->second.empty() ? tiles_.erase(tile) : std::next(tile);
    }
}
