// ChunkChecksum: the "dsid" checksum of an asset's files. Each blob adds a rotating sum of
// its little-endian 32-bit words; folder and file names do not count, so renaming a file
// keeps the checksum. The rotation is by 1 left and 30 right (not 31): the two lost bits
// are part of the format and must stay.
#pragma once

#include <cstdint>

#include "engine/string.h"
#include "foundation/soup/chunk_ref.h"

struct ChunkChecksum {
    int32_t hash = 0;
    int32_t length = 0;

    void Clear();
    // Of the first (size rounded down to a multiple of 4) bytes; 4 bytes or fewer give 0, 0.
    static ChunkChecksum OfBytes(uint32_t size, const uint8_t* bytes);
    // Lengths add; hashes add, a sum of 0 becoming 1.
    static ChunkChecksum Combine(const ChunkChecksum& a, const ChunkChecksum& b);
    // Every blob of the tree, sub-folders first where they come; children are taken by
    // name (the first child of each name). Tags more than kMaxSoupDepth containers below
    // the root are left out.
    static ChunkChecksum OfTree(const ACSChunkRef& container);
    // "length:hash".
    Kiv::String ToString() const;

    bool operator==(const ChunkChecksum&) const = default;
};
