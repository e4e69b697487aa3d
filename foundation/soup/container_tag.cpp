// The in-memory container: the node interface over its child list.
#include "foundation/soup/container_tag.h"

#include "foundation/soup/data_tag.h"

ACSChunkRef TDBContainerTag::GetNamedChunkConst(const Kiv::PString& name) const {
    ACSChunkRef chunk = children_.FindName(name);
    return chunk.Get() ? chunk : NullChunk();
}

ACSChunkRef TDBContainerTag::GetNamedChunk(const Kiv::PString& name) {
    return GetNamedChunkConst(name);
}

int32_t TDBContainerTag::CountChildren() const {
    return children_.Count();
}

bool TDBContainerTag::GetIndexedChild(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const {
    if (children_.At(index, name, chunk)) return true;
    return ACSChunk::GetIndexedChild(index, name, chunk);
}

void TDBContainerTag::SortChildren() {
    if (children_.Count() < 2) return;
    children_.SortByName();
}

void TDBContainerTag::SwapChildren(const ACSChunkRef& a, const ACSChunkRef& b) {
    children_.SwapChunks(a.Get(), b.Get());
}

void TDBContainerTag::AddChild(const Kiv::PString& name, const ACSChunkRef& chunk) {
    if (!chunk.Get()) return;
    children_.Append(name, chunk);
}

void TDBContainerTag::RemoveChild(const ACSChunkRef& chunk) {
    // The child may be the last reference to a subtree: it goes once the list is whole.
    const ACSChunkRef removed = children_.RemoveFirstHolding(chunk.Get());
}

ACSChunkRef TDBContainerTag::CreateTag(ACSTagType type, const ACSRawDataRef& data) {
    if (type == ACSTagType::Container) return ACSChunkRef::Adopt(new TDBContainerTag());
    ACSChunkRef tag = ACSChunkRef::Adopt(new TDBDataTag());
    tag->SetData(type, data);
    return tag;
}
