// The node-independent parts of filters: writing a node with its tag, the factory table
// from tag to kind, reading a node whole with the nesting bound, and equality.
#include "link/kav/kav_filter_element.h"

#include "link/kav/kav_filter_asset_id.h"
#include "link/kav/kav_filter_bool.h"
#include "link/kav/kav_filter_group.h"
#include "link/kav/kav_filter_range.h"
#include "link/kav/kav_filter_string.h"
#include "link/kav/kav_filter_tags.h"
#include "foundation/streams/t_stream.h"

namespace {

template <class Node> std::unique_ptr<KAVFilterElement> MakeDefault() {
    return std::make_unique<Node>();
}

struct FilterKind {
    int32_t tag;
    std::unique_ptr<KAVFilterElement> (*make)(); // a node with the kind's defaults
};

constexpr FilterKind kKinds[] = {
    {KAVFilterTag::kGroup, MakeDefault<KAVFilterElementGroup>},
    {KAVFilterTag::kString, MakeDefault<KAVFilterElementString>},
    {KAVFilterTag::kBool, MakeDefault<KAVFilterElementBool>},
    {KAVFilterTag::kInt, MakeDefault<KAVFilterElementInt>},
    {KAVFilterTag::kTimestamp, MakeDefault<KAVFilterElementTimestamp>},
    {KAVFilterTag::kAssetID, MakeDefault<KAVFilterElementAssetID>},
};

} // namespace

bool KAVFilterElement::Equals(const KAVFilterElement& other) const {
    return GetTag() == other.GetTag() && KeyName() == other.KeyName() &&
           ValueText() == other.ValueText();
}

bool KAVFilterElement::Write(TStream& stream, const KAVFilterElement* node) {
    if (!node) {
        stream.WriteInt32(0);
        return true;
    }
    stream.WriteInt32(node->GetTag());
    return node->WriteBody(stream);
}

std::unique_ptr<KAVFilterElement> KAVFilterElement::Create(int32_t tag) {
    for (const FilterKind& kind : kKinds)
        if (kind.tag == tag) return kind.make();
    return nullptr;
}

std::unique_ptr<KAVFilterElement> KAVFilterElement::ReadNew(TStream& stream, int32_t depth) {
    if (depth < 0 || depth >= kMaxDepth) return nullptr;
    int32_t tag = 0;
    if (!stream.ReadInt32(tag, 0)) return nullptr;
    std::unique_ptr<KAVFilterElement> node = Create(tag);
    if (!node || !node->ReadBody(stream, depth)) return nullptr;
    return node;
}

bool KAVFilterElement::EqualsBothWays(const KAVFilterElement& a, const KAVFilterElement& b) {
    return a.Equals(b) && b.Equals(a);
}
