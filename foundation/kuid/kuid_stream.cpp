// The stream form of a KUID: the content id first, then the packed word of version and user
// id, so a KUID costs 8 bytes in every message and file.
#include "foundation/kuid/kuid.h"

#include "foundation/streams/t_stream.h"

void KUID::WriteBinary(TStream& stream) const {
    stream.WriteInt32(contentId);
    stream.WriteUInt32(Pack().word0);
}

KUID KUID::ReadBinary(TStream& stream) {
    PackedKUID packed;
    stream.ReadUInt32(packed.word1, 0xFFFFFFFFu);
    stream.ReadUInt32(packed.word0, 0xFFFFFFFFu);
    return Unpack(packed);
}
