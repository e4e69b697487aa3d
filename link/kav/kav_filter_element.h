// KAVFilterElement: one node of the filter tree that an asset query carries to the daemon.
// A node travels as its four-character tag (an int32, first letter in the most significant
// byte, so the bytes appear reversed) followed by its body. Reading trusts nothing: a body
// cut short, an unknown tag, a negative count or nesting deeper than kMaxDepth gives no node
// at all, never a half-read one.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/pstring.h"

class TStream;

class KAVFilterElement {
  public:
    // Levels of nesting a reader accepts: the root is level 1.
    static constexpr int32_t kMaxDepth = 512;

    KAVFilterElement() = default;
    KAVFilterElement(const KAVFilterElement&) = delete;
    KAVFilterElement& operator=(const KAVFilterElement&) = delete;
    virtual ~KAVFilterElement() = default;

    virtual Kiv::PString KeyName() const = 0;
    virtual Kiv::PString ValueText() const = 0;
    virtual int32_t GetTag() const = 0;
    // False when the node cannot be carried as it is; the stream then holds a partial node.
    virtual bool WriteBody(TStream& stream) const = 0;
    // depth counts the groups around the node. False when the body is cut short or invalid.
    virtual bool ReadBody(TStream& stream, int32_t depth) = 0;
    // The same kind, the same interned key name and value text; kinds add the fields that
    // their text leaves out, so equal nodes always travel as the same bytes.
    virtual bool Equals(const KAVFilterElement& other) const;

    // The tag, then the body; no node is the int32 0 alone. The body's result.
    static bool Write(TStream& stream, const KAVFilterElement* node);
    // A node with the defaults of its kind, or none for a tag of no kind.
    static std::unique_ptr<KAVFilterElement> Create(int32_t tag);
    // A whole node (children included) or none; depth as for ReadBody.
    static std::unique_ptr<KAVFilterElement> ReadNew(TStream& stream, int32_t depth = 0);
    static bool EqualsBothWays(const KAVFilterElement& a, const KAVFilterElement& b);
};
