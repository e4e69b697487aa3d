// Text condition nodes: the quoted asset-name rule and the body.
#include "link/kav/kav_filter_string.h"

#include <string_view>
#include <utility>

#include "link/kav/kav_filter_tags.h"
#include "foundation/streams/t_stream.h"

KAVFilterElementString::KAVFilterElementString(int32_t type, Kiv::PString value)
    : KAVFilterElementTyped(type), value_(std::move(value)) {
    std::string_view text = value_.View();
    if (type != kAssetName || text.size() < 2 || text.front() != '"' || text.back() != '"') return;
    value_ = Kiv::PString(text.substr(1, text.size() - 2));
    quoted_ = true;
}

int32_t KAVFilterElementString::GetTag() const {
    return KAVFilterTag::kString;
}

bool KAVFilterElementString::WriteBody(TStream& stream) const {
    if (value_.Length() + 1 > TStream::kMaxStringLength) return false;
    stream.WriteInt32(type_);
    stream.WritePString(value_);
    stream.WriteBool(quoted_);
    return true;
}

bool KAVFilterElementString::ReadBody(TStream& stream, int32_t) {
    return stream.ReadInt32(type_, 0) && stream.ReadPString(value_) &&
           stream.ReadBool(quoted_, false);
}

bool KAVFilterElementString::Equals(const KAVFilterElement& other) const {
    const auto* text = dynamic_cast<const KAVFilterElementString*>(&other);
    return text && text->quoted_ == quoted_ && KAVFilterElementTyped::Equals(other);
}
