// The base node's "nothing here" answers, the shared null chunk, and the deep copy that
// every soup copy goes through.
#include "foundation/soup/chunk.h"

#include "foundation/soup/soup_depth.h"

ACSChunkRef ACSChunk::GetNamedChunkConst(const Kiv::PString&) const {
    return NullChunk();
}

ACSChunkRef ACSChunk::GetNamedChunk(const Kiv::PString&) {
    return NullChunk();
}

int32_t ACSChunk::CountChildren() const {
    return 0;
}

bool ACSChunk::GetIndexedChild(int32_t, Kiv::PString& name, ACSChunkRef& chunk) const {
    name = Kiv::PString();
    chunk = NullChunk();
    return false;
}

void ACSChunk::SortChildren() {}

void ACSChunk::SwapChildren(const ACSChunkRef&, const ACSChunkRef&) {}

void ACSChunk::AddChild(const Kiv::PString&, const ACSChunkRef&) {}

void ACSChunk::RemoveChild(const ACSChunkRef&) {}

ACSChunkRef ACSChunk::CreateTag(ACSTagType, const ACSRawDataRef&) {
    return NullChunk();
}

const uint8_t* ACSChunk::GetData() const {
    return nullptr;
}

uint32_t ACSChunk::GetDataSize() const {
    return 0;
}

ACSTagType ACSChunk::GetType() const {
    return ACSTagType::Null;
}

void ACSChunk::SetData(ACSTagType, const ACSRawDataRef&) {}

namespace {

// Never released: the process keeps its first reference for its whole life.
ACSChunk* NullInstance() {
    static ACSChunk* const instance = new ACSChunk();
    return instance;
}

} // namespace

ACSChunkRef ACSChunk::NullChunk() {
    return ACSChunkRef::Share(NullInstance());
}

bool ACSChunk::IsNullNode(const ACSChunk* chunk) {
    return !chunk || chunk == NullInstance() || chunk->GetType() == ACSTagType::Null;
}

ACSRawDataRef ACSChunk::GetRawData(const ACSChunkRef& chunk) {
    if (!chunk.Get()) return ACSRawDataRef();
    return ACSRawDataRef::Borrow(chunk->GetDataSize(), chunk->GetData(), chunk);
}

namespace {

// Removes every child, last first. Stops when a removal takes nothing away, so a node
// that cannot remove a child it lists cannot hold the copy in a loop.
void RemoveAllChildren(ACSChunk& node) {
    for (int32_t count = node.CountChildren(); count > 0;) {
        Kiv::PString name;
        ACSChunkRef child;
        node.GetIndexedChild(count - 1, name, child);
        node.RemoveChild(child);
        const int32_t left = node.CountChildren();
        if (left >= count) return;
        count = left;
    }
}

// Copies source's children, which lie at level, and their subtrees.
void CopyTree(ACSChunk& destination, const ACSChunkRef& source, int level) {
    if (source->GetType() != ACSTagType::Null)
        destination.SetData(source->GetType(), ACSChunk::GetRawData(source));
    RemoveAllChildren(destination);
    if (level > kMaxSoupDepth) return;
    const int32_t count = source->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!source->GetIndexedChild(i, name, child)) continue;
        ACSChunkRef copy = destination.CreateTag(child->GetType(), ACSChunk::GetRawData(child));
        if (!copy.Get() || copy.Get() == NullInstance()) continue;
        CopyTree(*copy.Get(), child, level + 1);
        destination.AddChild(name, copy);
    }
}

} // namespace

void ACSChunk::DeepCopyInto(const ACSChunkRef& destination, const ACSChunkRef& source) {
    if (!destination.Get() || !source.Get()) return;
    CopyTree(*destination.Get(), source, 0);
}
