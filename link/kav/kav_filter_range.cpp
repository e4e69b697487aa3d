// Range condition nodes: the "[low,high)" value text and the two bodies, which differ only
// in the width of the bounds.
#include "link/kav/kav_filter_range.h"

#include "link/kav/kav_filter_tags.h"
#include "foundation/streams/t_stream.h"

namespace {

Kiv::PString RangeText(int32_t low, int32_t high, bool lowInclusive, bool highInclusive) {
    return Kiv::PString::Setf("%c%d,%d%c", lowInclusive ? '[' : '(', low, high,
                              highInclusive ? ']' : ')');
}

int32_t Low32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

} // namespace

Kiv::PString KAVFilterElementInt::ValueText() const {
    return RangeText(low_, high_, lowInclusive_, highInclusive_);
}

int32_t KAVFilterElementInt::GetTag() const {
    return KAVFilterTag::kInt;
}

bool KAVFilterElementInt::WriteBody(TStream& stream) const {
    stream.WriteInt32(type_);
    stream.WriteInt32(low_);
    stream.WriteInt32(high_);
    stream.WriteBool(lowInclusive_);
    stream.WriteBool(highInclusive_);
    return true;
}

bool KAVFilterElementInt::ReadBody(TStream& stream, int32_t) {
    return stream.ReadInt32(type_, 0) && stream.ReadInt32(low_, 0) && stream.ReadInt32(high_, 0) &&
           stream.ReadBool(lowInclusive_, false) && stream.ReadBool(highInclusive_, false);
}

Kiv::PString KAVFilterElementTimestamp::ValueText() const {
    return RangeText(Low32(low_), Low32(high_), lowInclusive_, highInclusive_);
}

int32_t KAVFilterElementTimestamp::GetTag() const {
    return KAVFilterTag::kTimestamp;
}

bool KAVFilterElementTimestamp::WriteBody(TStream& stream) const {
    stream.WriteInt32(type_);
    stream.WriteInt64(low_);
    stream.WriteInt64(high_);
    stream.WriteBool(lowInclusive_);
    stream.WriteBool(highInclusive_);
    return true;
}

bool KAVFilterElementTimestamp::ReadBody(TStream& stream, int32_t) {
    return stream.ReadInt32(type_, 0) && stream.ReadInt64(low_, 0) && stream.ReadInt64(high_, 0) &&
           stream.ReadBool(lowInclusive_, false) && stream.ReadBool(highInclusive_, false);
}

bool KAVFilterElementTimestamp::Equals(const KAVFilterElement& other) const {
    const auto* time = dynamic_cast<const KAVFilterElementTimestamp*>(&other);
    return time && time->low_ == low_ && time->high_ == high_ &&
           KAVFilterElementTyped::Equals(other);
}
