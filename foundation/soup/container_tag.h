// TDBContainerTag: the in-memory container node. Children keep insertion order; names are
// interned, so a lookup compares identities and takes the first child of the name, and
// nothing stops a name from repeating. The child list indexes names and nodes, so looking up,
// replacing and reading children by index cost the same in a container of any size.
#pragma once

#include "foundation/soup/child_list.h"
#include "foundation/soup/chunk.h"

class TDBContainerTag : public ACSChunk {
  public:
    ACSChunkRef GetNamedChunkConst(const Kiv::PString& name) const override;
    ACSChunkRef GetNamedChunk(const Kiv::PString& name) override;
    int32_t CountChildren() const override;
    bool GetIndexedChild(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const override;
    // Ascending by the names' bytes; children of one name keep their order.
    void SortChildren() override;
    void SwapChildren(const ACSChunkRef& a, const ACSChunkRef& b) override;
    void AddChild(const Kiv::PString& name, const ACSChunkRef& chunk) override;
    void RemoveChild(const ACSChunkRef& chunk) override;
    // Type 1: a new empty container; any other type: a new data tag holding data.
    ACSChunkRef CreateTag(ACSTagType type, const ACSRawDataRef& data) override;
    ACSTagType GetType() const override { return ACSTagType::Container; }

  private:
    ChildList children_;
};
