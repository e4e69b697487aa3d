// The header every mesh-file chunk starts with: a four-byte tag, u32 size (the bytes that
// follow the size field) and u32 version. end is where the size says the chunk ends,
// counted in 64 bits so that no size wraps.
#pragma once

#include <cstdint>

#include "engine/mesh_file_support.h"

namespace Kiv {

struct MeshChunkHeader {
    uint32_t size = 0;
    uint32_t version = 0;
    uint64_t end = 0;

    // False when the tag is not there (nothing consumed) or the header is cut short.
    bool Read(MemoryFile& file, const char* tag) {
        if (!file.ReadTag(tag)) return false;
        size = file.U32();
        end = file.Position() + uint64_t{size};
        version = file.U32();
        return !file.Failed();
    }
};

}  // namespace Kiv
