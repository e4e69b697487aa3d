// Yes-or-no condition nodes: the body is the type alone.
#include "link/kav/kav_filter_bool.h"

#include "link/kav/kav_filter_tags.h"
#include "foundation/streams/t_stream.h"

Kiv::PString KAVFilterElementBool::ValueText() const {
    return Kiv::PString("true");
}

int32_t KAVFilterElementBool::GetTag() const {
    return KAVFilterTag::kBool;
}

bool KAVFilterElementBool::WriteBody(TStream& stream) const {
    stream.WriteInt32(type_);
    return true;
}

bool KAVFilterElementBool::ReadBody(TStream& stream, int32_t) {
    return stream.ReadInt32(type_, 0);
}
