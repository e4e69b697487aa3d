// Group nodes: building, the nested value text, and the counted body whose children are
// read through KAVFilterElement::ReadNew one level deeper.
#include "link/kav/kav_filter_group.h"

#include <string>

#include "link/kav/kav_filter_key_names.h"
#include "link/kav/kav_filter_tags.h"
#include "foundation/streams/t_stream.h"

KAVFilterElementGroup::KAVFilterElementGroup(std::unique_ptr<KAVFilterElement> firstChild) {
    Append(std::move(firstChild));
}

void KAVFilterElementGroup::Append(std::unique_ptr<KAVFilterElement> child) {
    if (child) children_.push_back(std::move(child));
}

void KAVFilterElementGroup::OpenSubgroup(KAVFilterElementGroup& group,
                                         std::unique_ptr<KAVFilterElement> firstChild) {
    auto subgroup = std::make_unique<KAVFilterElementGroup>(std::move(firstChild));
    subgroup->SetNegate(true);
    group.Append(std::move(subgroup));
}

Kiv::PString KAVFilterElementGroup::KeyName() const {
    return KAVFilterKeyName(KAVFilterTag::kGroup, 0);
}

Kiv::PString KAVFilterElementGroup::ValueText() const {
    std::string text = "(";
    for (const auto& child : children_) {
        text += child->KeyName().View();
        text += ':';
        text += child->ValueText().View();
    }
    text += ')';
    return Kiv::PString(std::string_view(text));
}

int32_t KAVFilterElementGroup::GetTag() const {
    return KAVFilterTag::kGroup;
}

bool KAVFilterElementGroup::WriteBody(TStream& stream) const {
    stream.WriteBool(mode_);
    stream.WriteBool(negate_);
    stream.WriteInt32(static_cast<int32_t>(children_.size()));
    for (const auto& child : children_)
        if (!Write(stream, child.get())) return false;
    return true;
}

// Children are added one by one as they arrive, so a hostile count allocates nothing
// ahead: the read ends at the first child missing from the stream.
bool KAVFilterElementGroup::ReadBody(TStream& stream, int32_t depth) {
    children_.clear();
    int32_t count = 0;
    if (!stream.ReadBool(mode_, false) || !stream.ReadBool(negate_, false) ||
        !stream.ReadInt32(count, 0) || count < 0)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<KAVFilterElement> child = ReadNew(stream, depth + 1);
        if (!child) return false;
        children_.push_back(std::move(child));
    }
    return true;
}

bool KAVFilterElementGroup::Equals(const KAVFilterElement& other) const {
    const auto* group = dynamic_cast<const KAVFilterElementGroup*>(&other);
    if (!group || group->children_.size() != children_.size() || group->negate_ != negate_ ||
        group->mode_ != mode_)
        return false;
    for (size_t i = 0; i < children_.size(); ++i)
        if (!EqualsBothWays(*children_[i], *group->children_[i])) return false;
    return true;
}
