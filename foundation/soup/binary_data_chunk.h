// TDBDataChunk: one value of a binary soup body, made afresh on every access. Its value
// borrows the payload bytes inside the body; the node holds the file, so the body outlives
// it. A version-0 string holds its converted copy instead, and keeps the payload identity,
// so a view can still remove or replace it.
#pragma once

#include "foundation/soup/binary_node.h"

class TDBDataChunk : public TDBBinaryNode {
  public:
    TDBDataChunk(TDBBinaryFile* file, const BinaryPayload& payload, ACSTagType type,
                 ACSRawDataRef value);

    // The data node of a payload that is not a container.
    static ACSChunkRef Decode(TDBBinaryFile* file, const BinaryPayload& payload);

    const uint8_t* GetData() const override { return value_.Data(); }
    uint32_t GetDataSize() const override { return value_.Size(); }
    ACSTagType GetType() const override { return type_; }

  private:
    ACSTagType type_;
    ACSRawDataRef value_;
};
