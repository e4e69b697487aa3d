// Key name and equality of condition nodes.
#include "link/kav/kav_filter_typed.h"

#include "link/kav/kav_filter_key_names.h"

Kiv::PString KAVFilterElementTyped::KeyName() const {
    return KAVFilterKeyName(GetTag(), type_);
}

bool KAVFilterElementTyped::Equals(const KAVFilterElement& other) const {
    const auto* typed = dynamic_cast<const KAVFilterElementTyped*>(&other);
    return typed && typed->type_ == type_ && KAVFilterElement::Equals(other);
}
