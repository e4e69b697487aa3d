// World positions and bounds: a place in the world is a pair of 16-bit tile numbers (tiles
// are 720 m squares) and offsets in metres from the tile's origin. Items of a world list
// report their extent as a bounds record; the tile index normalises its corners so that
// whole tiles move from the offsets into the tile numbers.
#pragma once

#include <cstdint>

struct WorldPosition {
    int16_t tile[2] = {0, 0};
    float offset[3] = {0.0f, 0.0f, 0.0f};
    uint8_t normalised = 0;
};

struct WorldBounds {
    uint8_t flag = 1;
    int16_t tile[2] = {0, 0};
    // Low and high offset per axis; the third axis is height and is never normalised.
    float low[3] = {0.0f, 0.0f, 0.0f};
    float high[3] = {0.0f, 0.0f, 0.0f};

    WorldPosition GetMinCorner() const;
    WorldPosition GetMaxCorner() const;
};

// Carries whole tiles out of the two horizontal offsets. The tile count is worked out in
// double (NaN moves nothing, huge offsets saturate); the tile numbers wrap in 16 bits. An
// offset within 0.072 m below a tile boundary is carried into the next tile and left
// slightly negative, as the stored positions expect.
void NormaliseWorldPosition(WorldPosition& position);
