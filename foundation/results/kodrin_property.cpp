// KodrinProperty base behaviour and the reference handling of KodrinPropertyHandle.
#include "foundation/results/kodrin_property.h"

#include <utility>

void KodrinProperty::SetValueText(const char*) {}

void KodrinProperty::GetValueText(Kiv::String& out) const {
    out = Kiv::String();
}

Kiv::PString KodrinProperty::GetValueText() const {
    Kiv::String text;
    GetValueText(text);
    return text.ToPString();
}

KodrinPropertyHandle& KodrinPropertyHandle::operator=(KodrinPropertyHandle&& other) noexcept {
    if (this != &other) Replace(std::exchange(other.property_, nullptr));
    return *this;
}

void KodrinPropertyHandle::Assign(const KodrinPropertyHandle& other) {
    Replace(other.property_ ? other.property_->AddReference() : nullptr);
}

void KodrinPropertyHandle::AssignAssetID(KodrinPropertyAssetID* property) {
    Replace(property ? property->AddReference() : nullptr);
}

void KodrinPropertyHandle::Attach(KodrinProperty* property) {
    Replace(property);
}

void KodrinPropertyHandle::Release() {
    Replace(nullptr);
}

Kiv::PString KodrinPropertyHandle::GetValueText() const {
    return property_ ? property_->GetValueText() : Kiv::PString();
}

// Stores property (whose reference the handle now owns), then drops the old reference;
// in this order a self-assignment keeps the property alive.
void KodrinPropertyHandle::Replace(KodrinProperty* property) {
    KodrinProperty* old = std::exchange(property_, property);
    if (old) old->Release();
}
