// ACSChunk: a node of a config soup tree. Inner nodes are containers of ordered, named
// children (names may repeat); leaves hold a typed value as a shared byte block. The base
// class is concrete: it is the shared null chunk, an empty tag with no children, and gives
// the "nothing here" answer to every operation. TDBContainerTag and TDBDataTag are the
// in-memory nodes; the binary soup views implement the same interface over a file's bytes.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "foundation/results/reference_count_mp.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/raw_data.h"
#include "foundation/soup/tag_type.h"

class ACSChunk : public ReferenceCountMP {
  public:
    ACSChunk() = default;
    ~ACSChunk() override = default;

    virtual ACSChunkRef GetNamedChunkConst(const Kiv::PString& name) const;
    virtual ACSChunkRef GetNamedChunk(const Kiv::PString& name);
    virtual int32_t CountChildren() const;
    // The index-th child and its name; false, the empty name and the null chunk when
    // there is none.
    virtual bool GetIndexedChild(int32_t index, Kiv::PString& name, ACSChunkRef& chunk) const;
    virtual void SortChildren();
    // The children holding a and b (the last of each) exchange their chunks; names stay.
    virtual void SwapChildren(const ACSChunkRef& a, const ACSChunkRef& b);
    // Appends; an empty reference is ignored.
    virtual void AddChild(const Kiv::PString& name, const ACSChunkRef& chunk);
    // Removes the first child holding that very node.
    virtual void RemoveChild(const ACSChunkRef& chunk);
    // A new unattached node fit to be a child of this one.
    virtual ACSChunkRef CreateTag(ACSTagType type, const ACSRawDataRef& data);
    virtual const uint8_t* GetData() const;
    virtual uint32_t GetDataSize() const;
    virtual ACSTagType GetType() const;
    virtual void SetData(ACSTagType type, const ACSRawDataRef& data);

    // The one shared null chunk, made on first use and kept for the life of the process.
    static ACSChunkRef NullChunk();
    // No node, the null chunk, or a node of type 0.
    static bool IsNullNode(const ACSChunk* chunk);
    // The node's bytes as a value that keeps the node alive.
    static ACSRawDataRef GetRawData(const ACSChunkRef& chunk);
    // Makes destination an independent copy of source's tree: new nodes, shared values.
    // Tags more than kMaxSoupDepth containers below the source are left out (only a cycle
    // gets so deep).
    static void DeepCopyInto(const ACSChunkRef& destination, const ACSChunkRef& source);
};
