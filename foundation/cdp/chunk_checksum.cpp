// The "dsid" checksum: word sums over blobs, combined over a files tree in child order.
// Each child is looked up once by its name, through the container's index of names, so a
// folder of any size costs one pass.
#include "foundation/cdp/chunk_checksum.h"

#include "foundation/soup/chunk.h"
#include "foundation/soup/raw_data.h"
#include "foundation/soup/soup_depth.h"

namespace {

uint32_t WordAt(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

// The container's children lie at level. Each counts as the first child of its name.
ChunkChecksum OfTreeAt(const ACSChunkRef& container, int level) {
    ChunkChecksum sum;
    if (!container.Get() || level > kMaxSoupDepth) return sum;
    const int32_t count = container->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        container->GetIndexedChild(i, name, child);
        const ACSChunkRef first = container->GetNamedChunkConst(name);
        const ACSTagType type = first.Get() ? first->GetType() : ACSTagType::Null;
        if (type == ACSTagType::Container) {
            sum = ChunkChecksum::Combine(sum, OfTreeAt(first, level + 1));
        } else if (type == ACSTagType::Blob) {
            const ACSRawDataRef data = ACSChunk::GetRawData(first);
            sum = ChunkChecksum::Combine(sum, ChunkChecksum::OfBytes(data.Size(), data.Data()));
        }
    }
    return sum;
}

} // namespace

void ChunkChecksum::Clear() {
    hash = 0;
    length = 0;
}

ChunkChecksum ChunkChecksum::OfBytes(uint32_t size, const uint8_t* bytes) {
    ChunkChecksum sum;
    if (size <= 4 || !bytes) return sum;
    const uint32_t whole = size & ~uint32_t{3};
    uint32_t h = 0;
    for (uint32_t at = 0; at < whole; at += 4) {
        h += WordAt(bytes + at);
        h = h << 1 | h >> 30;
    }
    sum.hash = static_cast<int32_t>(h == 0 ? 1 : h);
    sum.length = static_cast<int32_t>(whole);
    return sum;
}

ChunkChecksum ChunkChecksum::Combine(const ChunkChecksum& a, const ChunkChecksum& b) {
    const uint32_t hash = static_cast<uint32_t>(a.hash) + static_cast<uint32_t>(b.hash);
    ChunkChecksum sum;
    sum.length = static_cast<int32_t>(static_cast<uint32_t>(a.length) +
                                      static_cast<uint32_t>(b.length));
    sum.hash = static_cast<int32_t>(hash == 0 ? 1 : hash);
    return sum;
}

ChunkChecksum ChunkChecksum::OfTree(const ACSChunkRef& container) {
    return OfTreeAt(container, 0);
}

Kiv::String ChunkChecksum::ToString() const {
    Kiv::AnsiString text;
    text.Setf("%d:%d", length, hash);
    return text;
}
