// The handle itself: references, the null test, and the operations that edit a handle's
// tree structure (remove, ensure, copy) rather than read or write tag values.
#include "foundation/soup/chunk_ref.h"

#include <utility>

#include "foundation/soup/chunk.h"
#include "foundation/soup/container_tag.h"

ACSChunkRef::ACSChunkRef(const ACSChunkRef& other) : chunk_(other.chunk_) {
    if (chunk_) chunk_->AddRef();
}

ACSChunkRef& ACSChunkRef::operator=(const ACSChunkRef& other) {
    if (other.chunk_) other.chunk_->AddRef();
    ReferenceCountMP::ReleaseRef(std::exchange(chunk_, other.chunk_));
    return *this;
}

ACSChunkRef& ACSChunkRef::operator=(ACSChunkRef&& other) noexcept {
    if (this != &other)
        ReferenceCountMP::ReleaseRef(std::exchange(chunk_, std::exchange(other.chunk_, nullptr)));
    return *this;
}

ACSChunkRef ACSChunkRef::Adopt(ACSChunk* created) {
    return ACSChunkRef(created);
}

ACSChunkRef ACSChunkRef::Share(ACSChunk* chunk) {
    if (chunk) chunk->AddRef();
    return ACSChunkRef(chunk);
}

void ACSChunkRef::Release() {
    ReferenceCountMP::ReleaseRef(std::exchange(chunk_, nullptr));
}

bool ACSChunkRef::IsNull() const {
    return ACSChunk::IsNullNode(chunk_);
}

void ACSChunkRef::RemoveNamedTag(const Kiv::PString& name) {
    if (!chunk_) return;
    ACSChunkRef child = chunk_->GetNamedChunkConst(name);
    if (child.IsSameNode(ACSChunk::NullChunk())) return;
    chunk_->RemoveChild(child);
}

void ACSChunkRef::RemoveTag(const ACSChunkRef& chunk) {
    if (chunk_) chunk_->RemoveChild(chunk);
}

Kiv::PString ACSChunkRef::GetUniqueTagName() const {
    for (int32_t n = 0;; ++n) {
        Kiv::PString name = Kiv::PString::Setf("%d", n);
        if (!HasTag(name)) return name;
    }
}

void ACSChunkRef::EnsureContainer() {
    if (!chunk_) chunk_ = new TDBContainerTag();
}

ACSChunkRef ACSChunkRef::GetContainer() {
    EnsureContainer();
    return *this;
}

void ACSChunkRef::CopyFrom(const ACSChunkRef& source) {
    ACSChunkRef copy = Adopt(new TDBContainerTag());
    if (source.chunk_) ACSChunk::DeepCopyInto(copy, source);
    *this = std::move(copy);
}

ACSChunkRef ACSChunkRef::FromNonNull(const ACSChunkRef& chunk) {
    return chunk.IsNull() ? ACSChunkRef() : chunk;
}
