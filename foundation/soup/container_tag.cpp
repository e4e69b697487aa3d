// The in-memory container. Sorting moves the entries out into a vector and back, since a
// block array has no random access.
#include "foundation/soup/container_tag.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/soup/data_tag.h"

ACSChunkRef TDBContainerTag::GetNamedChunkConst(const Kiv::PString& name) const {
    auto at = children_.FindIf([&name](const ACSChildEntry& entry) { return entry.name == name; });
    return at.IsEnd() ? NullChunk() : at->chunk;
}

ACSChunkRef TDBContainerTag::GetNamedChunk(const Kiv::PString& name) {
    return GetNamedChunkConst(name);
}

int32_t TDBContainerTag::CountChildren() const {
    return children_.Count();
}

bool TDBContainerTag::GetIndexedChild(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const {
    auto at = index < 0 ? children_.End() : children_.At(index);
    if (at.IsEnd()) return ACSChunk::GetIndexedChild(index, name, chunk);
    name = at->name;
    chunk = at->chunk;
    return true;
}

void TDBContainerTag::SortChildren() {
    if (children_.Count() < 2) return;
    std::vector<ACSChildEntry> entries;
    for (ACSChildEntry& entry : children_)
        entries.push_back(std::move(entry));
    children_.Clear();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ACSChildEntry& a, const ACSChildEntry& b) {
                         return a.name.View() < b.name.View();
                     });
    for (ACSChildEntry& entry : entries)
        children_.PushBack(std::move(entry));
}

void TDBContainerTag::SwapChildren(const ACSChunkRef& a, const ACSChunkRef& b) {
    ACSChildEntry* holdsA = nullptr;
    ACSChildEntry* holdsB = nullptr;
    for (ACSChildEntry& entry : children_) {
        if (entry.chunk.IsSameNode(a))
            holdsA = &entry;
        else if (entry.chunk.IsSameNode(b))
            holdsB = &entry;
    }
    if (holdsA && holdsB) std::swap(holdsA->chunk, holdsB->chunk);
}

void TDBContainerTag::AddChild(const Kiv::PString& name, const ACSChunkRef& chunk) {
    if (!chunk.Get()) return;
    children_.PushBack(ACSChildEntry{name, chunk});
}

void TDBContainerTag::RemoveChild(const ACSChunkRef& chunk) {
    auto at = children_.FindIf(
        [&chunk](const ACSChildEntry& entry) { return entry.chunk.IsSameNode(chunk); });
    // The child may be the last reference to a subtree: it goes once the array is whole.
    ACSChunkRef removed = at.IsEnd() ? ACSChunkRef() : at->chunk;
    children_.Erase(at);
}

ACSChunkRef TDBContainerTag::CreateTag(ACSTagType type, const ACSRawDataRef& data) {
    if (type == ACSTagType::Container) return ACSChunkRef::Adopt(new TDBContainerTag());
    ACSChunkRef tag = ACSChunkRef::Adopt(new TDBDataTag());
    tag->SetData(type, data);
    return tag;
}
