// The handle's getters. Typed reads convert the child's value to the wanted type and accept
// it only when it is exactly one item; everything else gives the caller's default.
#include <cstring>

#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/converter.h"

namespace {

// The first child of the name; the null chunk when there is none (never an empty handle).
ACSChunkRef NamedChild(const ACSChunk* chunk, const Kiv::PString& name) {
    ACSChunkRef child = chunk ? chunk->GetNamedChunkConst(name) : ACSChunkRef();
    return child.Get() ? child : ACSChunk::NullChunk();
}

ACSChunkRef IndexedChild(const ACSChunk* chunk, int32_t index, Kiv::PString& name) {
    ACSChunkRef child;
    if (!chunk || !chunk->GetIndexedChild(index, name, child)) return ACSChunkRef();
    return child;
}

ACSChunkRef IfContainer(const ACSChunkRef& chunk) {
    if (!chunk.Get() || chunk->GetType() != ACSTagType::Container) return ACSChunkRef();
    return chunk;
}

template <class T> bool ReadSingle(const ACSRawDataRef& value, T& item) {
    if (value.Size() != sizeof(T)) return false;
    std::memcpy(&item, value.Data(), sizeof(T));
    return true;
}

} // namespace

int32_t ACSChunkRef::CountTags() const {
    return chunk_ ? chunk_->CountChildren() : 0;
}

bool ACSChunkRef::HasTag(const Kiv::PString& name) const {
    return !ACSChunk::IsNullNode(NamedChild(chunk_, name).Get());
}

ACSTagType ACSChunkRef::GetNamedTagType(const Kiv::PString& name) const {
    return NamedChild(chunk_, name)->GetType();
}

Kiv::PString ACSChunkRef::GetIndexedTagName(int32_t index) const {
    Kiv::PString name;
    IndexedChild(chunk_, index, name);
    return name;
}

ACSChunkRef ACSChunkRef::GetNamedSoup(const Kiv::PString& name) const {
    return IfContainer(NamedChild(chunk_, name));
}

ACSChunkRef ACSChunkRef::GetIndexedSoup(int32_t index) const {
    Kiv::PString name;
    return IfContainer(IndexedChild(chunk_, index, name));
}

ACSRawDataRef ACSChunkRef::GetNamedTagData(const Kiv::PString& name) const {
    const ACSChunkRef child = NamedChild(chunk_, name);
    if (ACSChunk::IsNullNode(child.Get())) return ACSRawDataRef();
    return ACSChunk::GetRawData(child);
}

ACSRawDataRef ACSChunkRef::GetNamedTagConverted(const Kiv::PString& name, ACSTagType type) const {
    const ACSChunkRef child = NamedChild(chunk_, name);
    ACSRawDataRef converted;
    ACSConverter::Convert(child->GetType(), ACSChunk::GetRawData(child), type, converted);
    return converted;
}

Kiv::String ACSChunkRef::GetNamedTag(const Kiv::PString& name) const {
    return Kiv::String(GetNamedTagConverted(name, ACSTagType::String).Text());
}

int32_t ACSChunkRef::GetNamedTagAsInt(const Kiv::PString& name, int32_t fallback) const {
    int32_t value = fallback;
    return ReadSingle(GetNamedTagConverted(name, ACSTagType::IntArray), value) ? value : fallback;
}

bool ACSChunkRef::GetNamedTagAsBool(const Kiv::PString& name, bool fallback) const {
    return GetNamedTagAsInt(name, fallback ? 1 : 0) != 0;
}

float ACSChunkRef::GetNamedTagAsFloat(const Kiv::PString& name, float fallback) const {
    float value = fallback;
    return ReadSingle(GetNamedTagConverted(name, ACSTagType::FloatArray), value) ? value : fallback;
}

KUID ACSChunkRef::GetNamedTagAsKUID(const Kiv::PString& name, const KUID& fallback) const {
    uint32_t words[2];
    if (!ReadSingle(GetNamedTagConverted(name, ACSTagType::KUIDArray), words)) return fallback;
    return KUID::Unpack(PackedKUID{words[0], words[1]});
}

bool ACSChunkRef::GetCameraFloats(FloatArray& floats) const {
    const ACSRawDataRef value = GetNamedTagConverted("camera", ACSTagType::FloatArray);
    const int32_t count = static_cast<int32_t>(value.Size() / sizeof(float));
    floats.SetLength(count);
    if (count > 0) std::memcpy(floats.Data(), value.Data(), count * sizeof(float));
    return count > 0;
}
