// ACSOverlayRecord: one edit of a binary soup, kept beside the body it edits. A removed
// record names the payload offset of a hidden packed entry; an added record holds a child
// appended to a region. An added child that is itself an entry of the same body is kept by
// its payload, not by a counted node: a node of the body holds the file, so holding it here
// would make the file hold itself and never go. The record only points at the live node
// that shows it, so that node keeps its identity while anyone holds it.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/pstring.h"
#include "foundation/soup/binary_entry.h"
#include "foundation/soup/chunk_ref.h"

struct ACSOverlayRecord {
    // 0 for an added child, else the body offset of the payload of a removed packed entry.
    uint32_t key = 0;
    // The body offset of the region (the soup) the record belongs to.
    uint32_t region = 0;
    bool used = false; // a free record is unused, with key 0, region 0 and nothing held
    ACSChunkRef chunk; // an added child from elsewhere
    std::optional<BinaryPayload> own; // an added child that is an entry of this body
    // The node showing `own` while one lives, or null; not counted: the node clears it as
    // it goes.
    mutable ACSChunk* ownNode = nullptr;
    Kiv::PString name;

    bool IsAdded() const { return used && key == 0; }
};
