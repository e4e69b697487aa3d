// The header is taken whole before any entry is read; every read error after it makes the
// archive unreadable rather than ending the walk as if complete. Each entry's soup is read
// through a window that ends at the next entry, so a damaged soup neither reads into the
// next entry nor leaves its error on the archive's stream.
#include "client/host/kav_archive_reader.h"

#include "client/host/kav_archive_format.h"
#include "foundation/streams/t_sub_file.h"

namespace {

bool IsThisBuild(float build) {
    const double scaled = static_cast<double>(build) * 100.0 + 0.1;
    return scaled > 0.0 && scaled < 1000000.0 &&
           static_cast<int32_t>(scaled) == KAVArchiveFormat::kThisBuild;
}

// The rest of the header after the version; false when it does not match the stream.
bool ReadHeaderRest(TStream& stream, int32_t magic, int32_t tag, KAVArchiveHeader& header) {
    if (header.version == 1) {
        float build = 0.0f;
        stream.ReadFloat(build, 0.0f);
        header.thisBuild = IsThisBuild(build);
    }
    stream.ReadInt32(header.endOffset, 0);
    stream.ReadInt32(header.tag, 0);
    if (stream.GetError() != 0) return false;
    return magic == KAVArchiveFormat::kMagic && header.endOffset == stream.Size() &&
           header.tag == tag;
}

} // namespace

KAVArchiveRead ReadKAVArchive(TStream& stream, int32_t tag, KAVArchiveHeader& header,
                              const KAVArchiveVisit& visit) {
    header = KAVArchiveHeader();
    int32_t magic = 0;
    stream.ReadInt32(magic, 0);
    if (!stream.ReadInt32(header.version, -1)) header.version = -1;
    if (header.version != 0 && header.version != 1) return KAVArchiveRead::kVersion;
    if (!ReadHeaderRest(stream, magic, tag, header)) return KAVArchiveRead::kUnreadable;

    for (;;) {
        const int64_t entryStart = stream.Tell();
        const KUID kuid = KUID::ReadBinary(stream);
        if (stream.GetError() != 0) return KAVArchiveRead::kUnreadable;
        if (kuid.IsNull()) return KAVArchiveRead::kComplete;
        int32_t next = 0;
        stream.ReadInt32(next, 0);
        if (stream.GetError() != 0 || next <= entryStart || next > header.endOffset) {
            return KAVArchiveRead::kUnreadable;
        }
        const int64_t soupStart = stream.Tell();
        stream.MoveTo(soupStart);
        TSubFile entry(&stream, soupStart, next);
        visit(kuid, entry);
        stream.MoveTo(next);
    }
}
