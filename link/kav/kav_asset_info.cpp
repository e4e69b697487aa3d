// Reading the asset record of request 21 in the reply's field order.
#include "link/kav/kav_asset_info.h"

#include "foundation/streams/t_stream.h"

namespace {

// count bools, bit 0 first; a missing bool reads as false.
uint8_t ReadFlagBits(TStream& stream, int count) {
    uint8_t bits = 0;
    for (int bit = 0; bit < count; ++bit) {
        bool set = false;
        stream.ReadBool(set, false);
        if (set) bits |= static_cast<uint8_t>(1u << bit);
    }
    return bits;
}

} // namespace

void KAVAssetInfo::Read(TStream& stream) {
    kuid = KUID::ReadBinary(stream);
    stream.ReadString(name);
    stream.ReadString(regionCategory);
    stream.ReadString(keywords);
    flags1 = ReadFlagBits(stream, 8);
    flags2 = ReadFlagBits(stream, 8);
    flags3 = ReadFlagBits(stream, 2);
    stream.ReadInt32(authorId, 0);
    stream.ReadPString(creatorName);
    stream.ReadString(eraCategory);
    stream.ReadInt32(secondInt, -1);
    stream.ReadPString(secondName);
    stream.ReadString(categoryText);
    flags4 = ReadFlagBits(stream, 3);
    int32_t rating = kNoRating;
    stream.ReadInt32(rating, kNoRating);
    localRating = static_cast<uint8_t>(rating & 0xFF);
    stream.ReadFloat(build, 0.0f);
    stream.ReadInt64(firstTime, 0);
    stream.ReadInt64(secondTime, 0);
    parentKUID = KUID::ReadBinary(stream);
    stream.ReadBool(valid, false);
}
