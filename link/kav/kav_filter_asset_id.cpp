// KUID-set condition nodes: the "(<kuid:1:2>,...,)" value text and the counted body.
#include "link/kav/kav_filter_asset_id.h"

#include <string>

#include "link/kav/kav_filter_tags.h"
#include "foundation/streams/t_stream.h"

namespace {

// The KUID stream form (content id, then the packed word of version and user id), read
// with a result: a short read ends a counted loop instead of adding null KUIDs.
bool ReadKuid(TStream& stream, KUID& kuid) {
    PackedKUID packed;
    if (!stream.ReadUInt32(packed.word1, 0xFFFFFFFFu)) return false;
    if (!stream.ReadUInt32(packed.word0, 0xFFFFFFFFu)) return false;
    kuid = KUID::Unpack(packed);
    return true;
}

} // namespace

Kiv::PString KAVFilterElementAssetID::ValueText() const {
    std::string text = "(";
    for (const KUID& kuid : kuids_) {
        text += kuid.ToTag().View();
        text += ',';
    }
    text += ')';
    return Kiv::PString(std::string_view(text));
}

int32_t KAVFilterElementAssetID::GetTag() const {
    return KAVFilterTag::kAssetID;
}

bool KAVFilterElementAssetID::WriteBody(TStream& stream) const {
    stream.WriteInt32(type_);
    stream.WriteInt32(static_cast<int32_t>(kuids_.size()));
    for (const KUID& kuid : kuids_)
        kuid.WriteBinary(stream);
    return true;
}

bool KAVFilterElementAssetID::ReadBody(TStream& stream, int32_t) {
    kuids_.clear();
    int32_t count = 0;
    if (!stream.ReadInt32(type_, 0) || !stream.ReadInt32(count, 0) || count < 0) return false;
    for (int32_t i = 0; i < count; ++i) {
        KUID kuid;
        if (!ReadKuid(stream, kuid)) return false;
        kuids_.insert(kuid);
    }
    return true;
}
