// The handle's setters. Each copies the caller's value into a new block and replaces the
// first tag of the name by a new tag appended at the end, so a set tag moves to the end.
#include <cstring>
#include <new>
#include <string_view>

#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"

void ACSChunkRef::ReplaceNamedTag(const Kiv::PString& name, ACSTagType type,
                                  const ACSRawDataRef& data) {
    EnsureContainer();
    RemoveNamedTag(name);
    chunk_->AddChild(name, chunk_->CreateTag(type, data));
}

void ACSChunkRef::SetNamedTagInt(const Kiv::PString& name, int32_t value) {
    ReplaceNamedTag(name, ACSTagType::IntArray, ACSRawDataRef::CopyBytes(sizeof value, &value));
}

void ACSChunkRef::SetNamedTagBool(const Kiv::PString& name, bool flag) {
    SetNamedTagInt(name, flag ? 1 : 0);
}

void ACSChunkRef::SetNamedTagFloat(const Kiv::PString& name, float value) {
    ReplaceNamedTag(name, ACSTagType::FloatArray, ACSRawDataRef::CopyBytes(sizeof value, &value));
}

void ACSChunkRef::SetNamedTagKUID(const Kiv::PString& name, const KUID& kuid) {
    const PackedKUID packed = kuid.Pack();
    const uint32_t words[2] = {packed.word0, packed.word1};
    ReplaceNamedTag(name, ACSTagType::KUIDArray, ACSRawDataRef::CopyBytes(sizeof words, words));
}

void ACSChunkRef::SetNamedTagFloatArray(const Kiv::PString& name, std::span<const float> floats) {
    if (floats.empty()) {
        EnsureContainer();
        RemoveNamedTag(name);
        return;
    }
    if (floats.size_bytes() > UINT32_MAX) throw std::bad_alloc();
    ReplaceNamedTag(
        name, ACSTagType::FloatArray,
        ACSRawDataRef::CopyBytes(static_cast<uint32_t>(floats.size_bytes()), floats.data()));
}

void ACSChunkRef::SetNamedTagString(const Kiv::PString& name, const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    if (length >= UINT32_MAX) throw std::bad_alloc();
    const uint32_t size = length ? static_cast<uint32_t>(length + 1) : 0;
    ReplaceNamedTag(name, ACSTagType::String, ACSRawDataRef::CopyBytes(size, text));
}

void ACSChunkRef::SetNamedTagEmpty(const Kiv::PString& name) {
    ReplaceNamedTag(name, ACSTagType::Null, ACSRawDataRef());
}

void ACSChunkRef::SetNamedSoup(const Kiv::PString& name, ACSChunkRef& soup) {
    soup.EnsureContainer();
    EnsureContainer();
    RemoveNamedTag(name);
    chunk_->AddChild(name, soup);
}
