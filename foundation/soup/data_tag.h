// TDBDataTag: the in-memory leaf node, a type code and a shared value block. It has no
// children; a new value replaces the block, never its bytes.
#pragma once

#include "foundation/soup/chunk.h"

class TDBDataTag : public ACSChunk {
  public:
    const uint8_t* GetData() const override { return value_.Data(); }
    uint32_t GetDataSize() const override { return value_.Size(); }
    ACSTagType GetType() const override { return type_; }
    void SetData(ACSTagType type, const ACSRawDataRef& data) override;

  private:
    ACSRawDataRef value_;
    ACSTagType type_ = ACSTagType::Null;
};
